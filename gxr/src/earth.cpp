// The earth-model table shared with sibling components, and its look-ups.
#include "gxr/gxr.h"

namespace {

// The ellipsoidal models, distinguished from the sphere.
constexpr unsigned char kEllipsoidType = 2;

bool isModel(int model) { return model >= GXR_EARTH_SPHERE && model < GXR_EARTH_MODELS; }

}  // namespace

extern "C" {

// Values as published with the models, including the one semi-minor axis all
// Everest variants share; row 0 is no model.
const GxrEllipse gGxrEllipse[GXR_EARTH_MODELS] = {
    {0, 0, 0},
    {6367443.8, 6367443.8, 0},
    {6378135, 6356750.52, 298.26},
    {6378137, 6356752.314, 298.257223563},
    {6377563.396, 6356256.909, 299.3249646},
    {6378160, 6356774.719, 298.25},
    {6377397.155, 6356078.9629, 299.1528128},
    {6377483.865, 6356165.383, 299.1528128},
    {6378206.4, 6356583.8, 294.9786982},
    {6378249.145, 6356514.869, 293.465},
    {6377276.345, 6356075.415, 300.8017},
    {6377298.556, 6356075.415, 300.8017},
    {6377301.243, 6356075.415, 300.8017},
    {6377295.664, 6356075.415, 300.8017},
    {6377304.063, 6356075.415, 300.8017},
    {6377309.613, 6356075.415, 300.8017},
    {6378137, 6356752.314, 298.257222101},
    {6378270, 6356794.343, 297},
    {6378160, 6356750.5, 298.247},
    {6378388, 6356911.946, 297},
    {6378245, 6356863.019, 298.3},
    {6377340.189, 6356034.446, 299.3249646},
    {6378155, 6356773.32, 298.3},
    {6378160, 6356774.719, 298.25},
};

int GXR_EarthRadiusSelect(int model, double *semiMajor, double *semiMinor) {
  if (!isModel(model)) return GXR_INVALID_FLAG;
  if (semiMajor == nullptr || semiMinor == nullptr) return GXR_NULL_POINTER;
  *semiMajor = gGxrEllipse[model].semiMajor;
  *semiMinor = gGxrEllipse[model].semiMinor;
  return GXR_OK;
}

int GXR_EarthFlatteningGet(int model, double *inverseFlattening) {
  if (!isModel(model)) return GXR_INVALID_FLAG;
  if (inverseFlattening == nullptr) return GXR_NULL_POINTER;
  *inverseFlattening = gGxrEllipse[model].inverseFlattening;
  return GXR_OK;
}

int GXR_EarthModelToTypeConvert(int model, unsigned char *type) {
  if (!isModel(model) || model == GXR_EARTH_SPHERE) return GXR_INVALID_FLAG;
  if (type == nullptr) return GXR_NULL_POINTER;
  *type = kEllipsoidType;
  return GXR_OK;
}

}  // extern "C"
