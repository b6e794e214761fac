#pragma once

#include <memory>
#include <vector>

#include "conversion.h"
#include "ogrsf_frmts.h"

namespace kalmira {

// The points of a source as GDAL hands features out: one a point of the target, in its order,
// with the conversion's double-precision longitude and latitude in WGS 84 (longitude first), or an
// empty geometry where the point cannot stand on a map; the point's number and its description
// pieces in the source's order, in UTF-8.
class PointLayer final : public OGRLayer, public OGRGetNextFeatureThroughRaw<PointLayer> {
 public:
  PointLayer(const char* name, const Conversion& conversion);
  ~PointLayer() override;
  PointLayer(const PointLayer&) = delete;
  PointLayer& operator=(const PointLayer&) = delete;

  void ResetReading() override { next_ = 0; }
  DEFINE_GET_NEXT_FEATURE_THROUGH_RAW(PointLayer)
  OGRFeature* GetFeature(GIntBig fid) override;
  GIntBig GetFeatureCount(int force) override;
  OGRFeatureDefn* GetLayerDefn() override { return definition_; }
  int TestCapability(const char* capability) override;

 private:
  OGRFeature* GetNextRawFeature();

  OGRFeatureDefn* definition_;
  OGRSpatialReference* wgs84_;
  std::vector<std::unique_ptr<OGRFeature>> features_;
  std::size_t next_ = 0;
};

}  // namespace kalmira
