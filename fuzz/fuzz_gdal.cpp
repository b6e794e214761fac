// The GDAL driver's open on any source bytes, through GDAL's in-memory files, as QGIS opens a
// file: besides running clean under the sanitizers, a source opens as one layer of points with
// the driver's four fields, or not at all.
#include <cstdint>
#include <cstdlib>

#include "gdal.h"
#include "ogr_api.h"

extern "C" void GDALRegister_KALMIRA();

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // GDAL with the driver, quiet about what it finds: the fuzzer looks for crashes, not messages.
  [[maybe_unused]] static const bool ready =
      (GDALRegister_KALMIRA(), CPLPushErrorHandler(CPLQuietErrorHandler), true);
  const char* path = "/vsimem/quelle.bcr";
  VSIFCloseL(VSIFileFromMemBuffer(path, const_cast<GByte*>(data), size, FALSE));
  const char* const drivers[] = {"KALMIRA", nullptr};
  if (GDALDatasetH source = GDALOpenEx(path, GDAL_OF_VECTOR, drivers, nullptr, nullptr)) {
    OGRLayerH layer = GDALDatasetGetLayer(source, 0);
    if (GDALDatasetGetLayerCount(source) != 1 ||
        OGR_FD_GetFieldCount(OGR_L_GetLayerDefn(layer)) != 4) {
      std::abort();
    }
    while (OGRFeatureH feature = OGR_L_GetNextFeature(layer)) OGR_F_Destroy(feature);
    GDALClose(source);
  }
  VSIUnlink(path);
  return 0;
}
