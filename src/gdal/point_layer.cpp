#include "point_layer.h"

#include "output/coordinate_conversion.h"
#include "output/source_doubts.h"
#include "windows1252.h"

namespace kalmira {

PointLayer::PointLayer(const char* name, const PointTable& table, bool utf8)
    : definition_(new OGRFeatureDefn(name)), wgs84_(new OGRSpatialReference()) {
  SetDescription(name);
  definition_->Reference();
  wgs84_->importFromEPSG(4326);
  wgs84_->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  definition_->SetGeomType(wkbPoint);
  definition_->GetGeomFieldDefn(0)->SetSpatialRef(wgs84_);
  OGRFieldDefn number("punkt", OFTInteger);
  definition_->AddFieldDefn(&number);
  for (const char* piece : {"beschreibung1", "beschreibung2", "beschreibung3"}) {
    OGRFieldDefn field(piece, OFTString);
    definition_->AddFieldDefn(&field);
  }
  for (int i = 0; i < table.count; ++i) {
    const PointRecord& record = table.records[static_cast<std::size_t>(i)];
    auto feature = std::make_unique<OGRFeature>(definition_);
    feature->SetFID(i + 1);
    feature->SetField(0, i + 1);
    int field = 1;
    for (const std::string* piece : {&record.desc1, &record.desc2, &record.desc3}) {
      const std::string_view text = piece_text(*piece);
      feature->SetField(field++,
                        utf8 ? std::string(text).c_str() : windows1252_to_utf8(text).c_str());
    }
    auto* point = new OGRPoint();
    if (is_on_map(record)) {
      point->setX(easting_to_longitude(record.easting));
      point->setY(northing_to_latitude(record.northing));
    }
    point->assignSpatialReference(wgs84_);
    feature->SetGeometryDirectly(point);
    features_.push_back(std::move(feature));
  }
}

PointLayer::~PointLayer() {
  definition_->Release();
  wgs84_->Release();
}

OGRFeature* PointLayer::GetNextRawFeature() {
  return next_ < features_.size() ? features_[next_++]->Clone() : nullptr;
}

OGRFeature* PointLayer::GetFeature(GIntBig fid) {
  return fid >= 1 && static_cast<std::size_t>(fid) <= features_.size()
             ? features_[static_cast<std::size_t>(fid - 1)]->Clone()
             : nullptr;
}

GIntBig PointLayer::GetFeatureCount(int force) {
  if (m_poFilterGeom != nullptr || m_poAttrQuery != nullptr) {
    return OGRLayer::GetFeatureCount(force);
  }
  return static_cast<GIntBig>(features_.size());
}

int PointLayer::TestCapability(const char* capability) {
  if (EQUAL(capability, OLCFastFeatureCount)) {
    return m_poFilterGeom == nullptr && m_poAttrQuery == nullptr;
  }
  return EQUAL(capability, OLCRandomRead) || EQUAL(capability, OLCStringsAsUTF8);
}

}  // namespace kalmira
