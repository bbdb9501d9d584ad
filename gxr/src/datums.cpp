// Datums and ellipsoids: the engine's catalogues, user definitions, datum
// shifts with their accuracy, and heights above the geoid.
#include <cstring>
#include <functional>

#include "angles.hpp"
#include "dtcc.hpp"
#include "posix_file.hpp"

namespace {

using gxr::engine::AccuracyEstimate;
using gxr::engine::Coordinates;
using gxr::engine::Engine;
using gxr::engine::Side;
using namespace gxr::dtcc;
namespace eng = gxr::engine;

using gxr::kRadiansPerDegree;

// Holds the user directory's table lock across a definition, which other
// processes on the same directory may make at the same moment.
gxr::UniqueFd lockUserTables(const Engine& engine) { return gxr::lockTables(engine.tableDirectory().c_str()); }

// The datum shift of GXR_DatumConvert, with afterwards run inside its hold
// of the engine lock (see convertBatch).
int shiftDatum(const char* sourceDatum, const char* targetDatum, const GxrPointArray* input, GxrPointArray* output,
               const std::function<int(Engine&)>& afterwards) {
  GxrCoordParams meanSeaLevel{};
  meanSeaLevel.heightType = GXR_HEIGHT_GEOID;
  GxrPointArray result{};
  GxrDiagnostic diagnostic{};
  const int status = convertBatch(sourceDatum, targetDatum, "GD", "GD", &meanSeaLevel, &meanSeaLevel, input->count,
                                  input->points, &result, &diagnostic, afterwards);
  output->count = result.points != nullptr ? result.count : 0;
  output->points = result.points;
  return status;
}

// Cuts a caller's text to the table's width.
template <std::size_t N>
void cutInto(char (&field)[N], const char* text) {
  copyField(field, N, text);
}

}  // namespace

extern "C" {

int GXR_DatumListGet(GxrDatumList* list) {
  if (list == nullptr) return GXR_NULL_POINTER;
  GxrDiagnostic diagnostic{};
  int cut = GXR_OK, engineStatus = 0;
  const int status = withEngine(&diagnostic, [&](Engine& engine) -> int {
    long count = 0;
    engineStatus = engine.datumCount(&count);
    if (count > GXR_DATUM_LIST_MAX) {
      count = GXR_DATUM_LIST_MAX;
      cut = GXR_DTCC_TABLE_SMALL;
    }
    list->count = static_cast<int32_t>(count);
    for (long k = 1; k <= count && engineStatus == 0; ++k) {
      if ((list->names[k] = newText(eng::kDatumNameLength + 1)) == nullptr) return GXR_NO_MEMORY;
      if ((engineStatus = engine.datumName(k, list->names[k])) != 0) break;
      if ((list->codes[k] = newText(eng::kDatumCodeLength + 1)) == nullptr) return GXR_NO_MEMORY;
      engineStatus = engine.datumCode(k, list->codes[k]);
    }
    return GXR_OK;
  });
  if (status != GXR_OK) return status;
  // Entry 0 repeats the last entry; it is made outside the engine lock.
  const int last = list->count;
  if (engineStatus == 0 && last > 0) {
    if ((list->names[0] = newText(eng::kDatumNameLength + 1)) == nullptr) return GXR_NO_MEMORY;
    if ((list->codes[0] = newText(eng::kDatumCodeLength + 1)) == nullptr) return GXR_NO_MEMORY;
    std::memcpy(list->names[0], list->names[last], eng::kDatumNameLength + 1);
    std::memcpy(list->codes[0], list->codes[last], eng::kDatumCodeLength + 1);
  }
  if (cut != GXR_OK) return cut;
  return engineStatus != 0 ? translate(engineStatus) : GXR_OK;
}

int GXR_EllipsoidListGet(GxrEllipsoidList* list, GxrDiagnostic* diagnostic) {
  if (list == nullptr || diagnostic == nullptr) return GXR_NULL_POINTER;
  return withEngine(diagnostic, [&](Engine& engine) -> int {
    long count = 0;
    int engineStatus = engine.ellipsoidCount(&count);
    int cut = GXR_OK;
    if (count > GXR_ELLIPSOID_LIST_MAX) {
      count = GXR_ELLIPSOID_LIST_MAX;
      cut = GXR_DTCC_TABLE_SMALL;
    }
    list->count = static_cast<int32_t>(count);
    for (long k = 1; k <= count && engineStatus == 0; ++k) {
      if ((list->names[k - 1] = newText(eng::kEllipsoidNameLength + 1)) == nullptr) return GXR_NO_MEMORY;
      if ((engineStatus = engine.ellipsoidName(k, list->names[k - 1])) != 0) break;
      if ((list->codes[k - 1] = newText(eng::kEllipsoidCodeLength + 1)) == nullptr) return GXR_NO_MEMORY;
      engineStatus = engine.ellipsoidCode(k, list->codes[k - 1]);
    }
    if (cut != GXR_OK) return cut;
    if (engineStatus != 0) {
      GXR_DtccDiagnosticGet(engineStatus, diagnostic);
      return translate(engineStatus);
    }
    return GXR_OK;
  });
}

int GXR_DatumEllipseGet(const char* datumCode, char* ellipsoidName, char* ellipsoidCode) {
  if (datumCode == nullptr || ellipsoidName == nullptr || ellipsoidCode == nullptr) return GXR_NULL_POINTER;
  GxrDiagnostic diagnostic{};
  return withEngine(&diagnostic, [&](Engine& engine) -> int {
    long datum = 0, ellipsoid = 0;
    int status = engine.datumIndex(datumCode, &datum);
    if (status == 0) status = engine.datumEllipsoidCode(datum, ellipsoidCode);
    if (status == 0) status = engine.ellipsoidIndex(ellipsoidCode, &ellipsoid);
    if (status == 0) status = engine.ellipsoidName(ellipsoid, ellipsoidName);
    return status != 0 ? translate(status) : GXR_OK;
  });
}

int GXR_UserDatumDefine(const char* code, const char* name, const char* ellipsoidCode, double deltaX,
                        double deltaY, double deltaZ, double sigmaX, double sigmaY, double sigmaZ,
                        double south, double north, double west, double east, GxrDiagnostic* diagnostic) {
  if (code == nullptr || name == nullptr || ellipsoidCode == nullptr || diagnostic == nullptr)
    return GXR_NULL_POINTER;
  return withEngine(diagnostic, [&](Engine& engine) -> int {
    char datumCode[eng::kDatumCodeLength + 1], datumName[eng::kDatumNameLength + 1];
    cutInto(datumCode, code);
    cutInto(datumName, name);
    const gxr::UniqueFd tables = lockUserTables(engine);
    const int engineStatus = engine.defineDatum(
        datumCode, datumName, ellipsoidCode, deltaX, deltaY, deltaZ, sigmaX, sigmaY, sigmaZ,
        south * kRadiansPerDegree, north * kRadiansPerDegree, west * kRadiansPerDegree,
        east * kRadiansPerDegree);
    if (int status = GXR_DtccDiagnosticGet(engineStatus, diagnostic); status != GXR_OK) return status;
    return engineStatus != 0 ? translate(engineStatus) : GXR_OK;
  });
}

int GXR_UserEllipsoidDefine(const char* code, const char* name, double semiMajor, double inverseFlattening,
                            GxrDiagnostic* diagnostic) {
  if (code == nullptr || name == nullptr || diagnostic == nullptr) return GXR_NULL_POINTER;
  return withEngine(diagnostic, [&](Engine& engine) -> int {
    char ellipsoidCode[eng::kEllipsoidCodeLength + 1], ellipsoidName[eng::kEllipsoidNameLength + 1];
    cutInto(ellipsoidCode, code);
    cutInto(ellipsoidName, name);
    const double semiMinor = (1 - 1 / inverseFlattening) * semiMajor;
    const gxr::UniqueFd tables = lockUserTables(engine);
    const int engineStatus = engine.defineEllipsoid(ellipsoidCode, ellipsoidName, semiMajor, semiMinor);
    if (int status = GXR_DtccDiagnosticGet(engineStatus, diagnostic); status != GXR_OK) return status;
    return engineStatus != 0 ? translate(engineStatus) : GXR_OK;
  });
}

int GXR_DatumConvert(const char* sourceDatum, const char* targetDatum, const GxrPointArray* input,
                     GxrPointArray* output) {
  if (sourceDatum == nullptr || targetDatum == nullptr || input == nullptr || output == nullptr)
    return GXR_NULL_POINTER;
  return shiftDatum(sourceDatum, targetDatum, input, output, {});
}

int GXR_DatumTransformationAccuracyGet(const char* sourceDatum, const char* targetDatum, const GxrPoint3* point,
                                       double* circularError, double* linearError, double* sphericalError,
                                       GxrDiagnostic* diagnostic) {
  if (sourceDatum == nullptr || targetDatum == nullptr || point == nullptr || circularError == nullptr ||
      linearError == nullptr || sphericalError == nullptr || diagnostic == nullptr)
    return GXR_NULL_POINTER;
  gxr::LockHold accuracy(gxr::accuracyLock());
  if (accuracy.status() != GXR_OK) return accuracy.status();
  *circularError = *linearError = *sphericalError = -2.0;
  GxrPointArray input{1, const_cast<GxrPoint3*>(point)}, shifted{};
  // The estimate is read in the same hold of the engine lock as the shift:
  // released in between, another thread's conversion could replace it.
  AccuracyEstimate estimate;
  int engineStatus = 0;
  const int status = shiftDatum(sourceDatum, targetDatum, &input, &shifted, [&](Engine& engine) {
    engineStatus = engine.accuracy(&estimate);
    return GXR_OK;
  });
  // Only the estimate is wanted, not the shifted point.
  GXR_PtrFree(&shifted.points);
  if (status != GXR_OK) return status;
  if (engineStatus != 0) {
    GXR_DtccDiagnosticGet(engineStatus, diagnostic);
    return translate(engineStatus);
  }
  *circularError = estimate.circular;
  *linearError = estimate.linear;
  *sphericalError = estimate.spherical;
  return GXR_OK;
}

int GXR_VerticalDatumConvert(int direction, double latitude, double longitude, double height, double* result,
                             GxrDiagnostic* diagnostic) {
  if (result == nullptr || diagnostic == nullptr) return GXR_NULL_POINTER;
  if (direction != -1 && direction != 1) return GXR_INVALID_FLAG;
  GxrCoordParams from{}, to{};
  from.heightType = direction == -1 ? GXR_HEIGHT_ELLIPSOID : GXR_HEIGHT_GEOID;
  to.heightType = direction == -1 ? GXR_HEIGHT_GEOID : GXR_HEIGHT_ELLIPSOID;
  return withEngine(diagnostic, [&](Engine& engine) -> int {
    long system = 0, datum = 0;
    int status = engine.systemIndex("GD", &system);
    if (status == 0) status = engine.setSystem(Side::input, static_cast<int>(system - 1));
    if (status == 0) status = engine.setSystem(Side::output, static_cast<int>(system - 1));
    if (status == 0) status = engine.datumIndex("WGE", &datum);
    if (status == 0) status = engine.setDatum(Side::input, datum);
    if (status == 0) status = engine.setDatum(Side::output, datum);
    if (status != 0) return translate(status);
    if (int s = GXR_CoordParamSet(0, GXR_CS_GEODETIC, &from); s != GXR_OK) return s;
    if (int s = GXR_CoordParamSet(1, GXR_CS_GEODETIC, &to); s != GXR_OK) return s;
    Coordinates point;
    point.latitude = radians(latitude);
    point.longitude = radians(longitude);
    point.height = height;
    int combined = engine.setInputCoordinates(point);
    if (combined == 0) combined = engine.convert();
    int read = 0;
    if ((combined & ~eng::kWarningBits) == 0) {
      const Coordinates* out = nullptr;
      read = engine.outputCoordinates(&out);
      if (read == 0) *result = out->height;
    }
    combined |= read;
    if (int s = GXR_DtccDiagnosticGet(combined, diagnostic); s != GXR_OK) return s;
    return (combined & ~eng::kWarningBits) != 0 ? translate(combined) : GXR_OK;
  }, Release::ignored);
}

}  // extern "C"
