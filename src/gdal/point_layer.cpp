#include "point_layer.h"

#include "windows1252.h"

namespace kalmira {

PointLayer::PointLayer(const char* name, const Conversion& conversion)
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
  // The pieces are shown as what the doubts find them to be.
  const bool utf8 = conversion.descriptions_in_utf8();
  for (std::size_t i = 0; i < conversion.points.size(); ++i) {
    const ConvertedPoint& converted = conversion.points[i];
    auto feature = std::make_unique<OGRFeature>(definition_);
    feature->SetFID(static_cast<GIntBig>(i + 1));
    feature->SetField(0, static_cast<int>(i + 1));
    int field = 1;
    for (const std::string& piece : conversion.table.records[i].pieces) {
      feature->SetField(field++, utf8 ? piece.c_str() : windows1252_to_utf8(piece).c_str());
    }
    auto* point = new OGRPoint();
    if (converted.on_map) {
      point->setX(converted.longitude);
      point->setY(converted.latitude);
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
