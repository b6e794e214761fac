// KALMIRA's sources as GDAL reads them, for QGIS, ogr2ogr and GDAL's Python: a read-only vector
// driver, loaded as the plugin gdal_KALMIRA. It reads a source through GDAL's virtual files (so
// that one in a ZIP opens too) with the converter's core, gives its points as one layer and the
// core's hints about it as warnings.
#include <algorithm>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "conversion.h"
#include "gdal_priv.h"
#include "point_layer.h"
#include "sentences.h"

namespace kalmira {
namespace {

constexpr const char* kName = "KALMIRA";

// A source through GDAL's virtual file functions, which say how large it is but not whether a
// read failed: a read that ends before that size did.
class VirtualSource final : public ByteSource {
 public:
  VirtualSource(VSILFILE* file, std::size_t size) : file_(file), remaining_(size) {}
  std::size_t read(std::span<char> buffer) override {
    const std::size_t got = VSIFReadL(buffer.data(), 1, buffer.size(), file_);
    remaining_ -= std::min(remaining_, got);
    return got;
  }
  bool failed() const override { return remaining_ > 0; }
  std::optional<std::size_t> remaining() const override { return remaining_; }

 private:
  VSILFILE* file_;
  std::size_t remaining_;
};

class SourceDataset final : public GDALDataset {
 public:
  explicit SourceDataset(std::unique_ptr<PointLayer> layer) : layer_(std::move(layer)) {}
  int GetLayerCount() override { return 1; }
  OGRLayer* GetLayer(int index) override { return index == 0 ? layer_.get() : nullptr; }
  int TestCapability(const char*) override { return FALSE; }

 private:
  std::unique_ptr<PointLayer> layer_;
};

bool contains(const GDALOpenInfo* info, const char* text) {
  const std::string_view header(reinterpret_cast<const char*>(info->pabyHeader),
                                static_cast<std::size_t>(info->nHeaderBytes));
  return header.find(text) != std::string_view::npos;
}

// A source by its name, or by a section header among its first bytes.
int identify(GDALOpenInfo* info) {
  if (info->fpL == nullptr) return FALSE;
  return EQUAL(CPLGetExtension(info->pszFilename), "bcr") || contains(info, "[COORDINATES]") ||
         contains(info, "[DESCRIPTION]");
}

GDALDataset* open(GDALOpenInfo* info) {
  // Read-only: a program that tries to write first (QGIS does) hears nothing of it.
  if (info->eAccess == GA_Update || !identify(info)) return nullptr;
  VSIStatBufL status;
  if (VSIStatL(info->pszFilename, &status) != 0 || VSIFSeekL(info->fpL, 0, SEEK_SET) != 0) {
    return nullptr;
  }
  VirtualSource source(info->fpL, static_cast<std::size_t>(status.st_size));
  const Conversion conversion = convert_source(source);
  if (!conversion.read_completely || !conversion.is_source()) {
    const bool read = conversion.read_completely;
    CPLError(
        CE_Failure, read ? CPLE_OpenFailed : CPLE_FileIO, "%s",
        (read ? no_source_sentence(info->pszFilename) : read_failure_sentence(info->pszFilename))
            .c_str());
    return nullptr;
  }
  for (const std::string& hint : hint_sentences(conversion.doubts)) {
    CPLError(CE_Warning, CPLE_AppDefined, "%s", hint.c_str());
  }
  const std::string name = CPLGetBasename(info->pszFilename);
  return new SourceDataset(std::make_unique<PointLayer>(name.c_str(), conversion));
}

}  // namespace
}  // namespace kalmira

// The plugin's one entry point: GDAL calls it when it loads gdal_KALMIRA.
extern "C" __attribute__((visibility("default"))) void GDALRegister_KALMIRA() {
  if (!GDAL_CHECK_VERSION(kalmira::kName) || GDALGetDriverByName(kalmira::kName) != nullptr) {
    return;
  }
  auto* driver = new GDALDriver();
  driver->SetDescription(kalmira::kName);
  driver->SetMetadataItem(GDAL_DCAP_VECTOR, "YES");
  driver->SetMetadataItem(GDAL_DCAP_VIRTUALIO, "YES");
  driver->SetMetadataItem(GDAL_DMD_LONGNAME, "KALMIRA survey points (.bcr)");
  driver->SetMetadataItem(GDAL_DMD_EXTENSIONS, "bcr");
  driver->pfnIdentify = kalmira::identify;
  driver->pfnOpen = kalmira::open;
  GetGDALDriverManager()->RegisterDriver(driver);
}
