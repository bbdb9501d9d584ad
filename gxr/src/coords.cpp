// Coordinate conversion: loading parameters and points into the engine,
// reading converted points back, batches and the system catalogue.
#include <sys/mman.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>

#include "dtcc.hpp"

namespace {

using gxr::engine::Coordinates;
using gxr::engine::Engine;
using gxr::engine::ParameterShape;
using gxr::engine::Parameters;
using gxr::engine::PointKind;
using gxr::engine::Side;
using namespace gxr::dtcc;
namespace eng = gxr::engine;

static_assert(GXR_COORD_SYSTEMS == eng::kSystemCount, "the public types are the catalogue's");

bool validType(int type) { return type >= 0 && type < GXR_COORD_SYSTEMS; }

// A large result array is written page by page; asking for huge pages turns
// one page fault per 4 KiB into one per 2 MiB. Only advice: the block stays
// the caller's ordinary heap block whatever the kernel makes of it.
void adviseHugePages(void* block, std::size_t size) {
  constexpr std::size_t kHugePage = std::size_t{2} << 20;
  if (size < 2 * kHugePage) return;
  const auto begin = reinterpret_cast<std::uintptr_t>(block);
  const std::uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
  const std::uintptr_t last = (begin + size) & ~(kHugePage - 1);
  if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

std::size_t pointSize(int type) { return eng::threeNumberPoint(type) ? sizeof(GxrPoint3) : sizeof(GxrGridPoint); }

// The record's fields in the engine's terms, for the system of the type.
Parameters parametersOf(int type, const GxrCoordParams& r) {
  Parameters p;
  p.falseEasting = r.falseEasting;
  p.falseNorthing = r.falseNorthing;
  p.scaleFactor = r.scaleFactor;
  p.centralMeridian = radians(r.centralMeridian);
  p.originLatitude = radians(r.originLatitude);
  p.standardParallel1 = radians(r.standardParallel1);
  p.standardParallel2 = radians(r.standardParallel2);
  switch (eng::parameterShape(type)) {
    case ParameterShape::heightType: p.heightType = r.heightType; break;
    case ParameterShape::localOrigin:
      p.originHeight = r.standardParallel2;
      p.orientation = radians(r.standardParallel1);
      break;
    case ParameterShape::utmZone:
      p.zone = r.zone;
      p.zoneOverride = r.heightType;
      break;
    default: break;
  }
  // The record carries Polyconic's origin latitude in its scale-factor field.
  if (type == GXR_CS_POLYCONIC) p.originLatitude = radians(r.scaleFactor);
  return p;
}

// Heights travel as whole metres, cut toward zero; values beyond the type's
// range are held at its ends rather than overflowing.
int32_t wholeMetres(double height) {
  if (std::isnan(height)) return 0;
  if (height >= 2147483647.0) return INT32_MAX;
  if (height <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(height);
}

void copyText(char* dest, std::size_t size, const char* src, std::size_t srcSize) {
  std::size_t n = strnlen(src, srcSize);
  n = n < size - 1 ? n : size - 1;
  std::memcpy(dest, src, n);
  dest[n] = '\0';
}

Coordinates coordinatesOf(int type, const void* points, int index) {
  Coordinates c;
  if (eng::threeNumberPoint(type)) {
    const GxrPoint3& p = static_cast<const GxrPoint3*>(points)[index];
    if (eng::pointKind(type) == PointKind::geodetic) {
      c.latitude = radians(p.geodetic.latitude);
      c.longitude = radians(p.geodetic.longitude);
      c.height = p.geodetic.height;
    } else {
      c.x = p.cartesian.x;
      c.y = p.cartesian.y;
      c.z = p.cartesian.z;
    }
    return c;
  }
  const GxrGridPoint& g = static_cast<const GxrGridPoint*>(points)[index];
  c.easting = g.easting;
  c.northing = g.northing;
  c.zone = g.zone;
  c.hemisphere = g.hemisphere;
  if (eng::pointKind(type) == PointKind::georef) copyText(c.text, sizeof c.text, g.georef, sizeof g.georef);
  if (eng::pointKind(type) == PointKind::mgrs) copyText(c.text, sizeof c.text, g.mgrs, sizeof g.mgrs);
  return c;
}

void storeCoordinates(int type, const Coordinates& c, void* points, int index) {
  if (eng::threeNumberPoint(type)) {
    GxrPoint3& p = static_cast<GxrPoint3*>(points)[index];
    if (eng::pointKind(type) == PointKind::geodetic) {
      p.geodetic.latitude = degrees(c.latitude);
      p.geodetic.longitude = degrees(c.longitude);
      p.geodetic.height = wholeMetres(c.height);
    } else {
      p.cartesian.x = c.x;
      p.cartesian.y = c.y;
      p.cartesian.z = c.z;
    }
    return;
  }
  GxrGridPoint& g = static_cast<GxrGridPoint*>(points)[index];
  switch (eng::pointKind(type)) {
    case PointKind::georef: copyText(g.georef, sizeof g.georef, c.text, sizeof c.text); break;
    case PointKind::mgrs: copyText(g.mgrs, sizeof g.mgrs, c.text, sizeof c.text); break;
    case PointKind::utm:
      g.easting = c.easting;
      g.northing = c.northing;
      g.hemisphere = c.hemisphere;
      g.zone = static_cast<int32_t>(c.zone);
      break;
    case PointKind::ups:
      g.easting = c.easting;
      g.northing = c.northing;
      g.hemisphere = c.hemisphere;
      break;
    default:
      g.easting = c.easting;
      g.northing = c.northing;
      break;
  }
}

// The engine's status for a side that is not set to the type.
int checkSideType(Side side, int type) {
  int current = -1;
  if (int status = Engine::instance().system(side, &current); status != 0) return status;
  return current == type ? 0 : eng::kInvalidType;
}

// Point loading and reading once type and index are known to be valid. The
// batch loop has just set the sides to the types and skips that check.
int loadPoint(Engine& engine, int type, const void* points, int index, bool sideChecked) {
  if (eng::pointKind(type) == PointKind::geodetic) {
    const GxrPoint3& p = static_cast<const GxrPoint3*>(points)[index];
    if (int status = GXR_GeoCoordValidate(p.geodetic.latitude, p.geodetic.longitude); status != GXR_OK)
      return status;
  }
  if (!sideChecked) {
    if (int status = checkSideType(Side::input, type); status != 0) return translate(status);
  }
  const int status = engine.setInputCoordinates(coordinatesOf(type, points, index));
  return status != 0 ? translate(status) : GXR_OK;
}

int readPoint(Engine& engine, int converted, int type, void* points, int index) {
  const Coordinates* c = nullptr;
  const int combined = converted | engine.outputCoordinates(&c);
  if (combined & ~eng::kWarningBits) return translate(combined);
  storeCoordinates(type, *c, points, index);
  if (combined == 0) return GXR_OK;
  const int status = translate(combined);
  return status == GXR_DTCC_WARNING ? GXR_OK : status;
}

void releaseList(char** codes, char** names, int count) {
  for (int i = 0; i < count; ++i) {
    GXR_PtrFree(reinterpret_cast<void**>(&codes[i]));
    GXR_PtrFree(reinterpret_cast<void**>(&names[i]));
  }
}

}  // namespace

namespace gxr::dtcc {

int convertBatch(const char* inputDatum, const char* outputDatum, const char* inputSystem, const char* outputSystem,
                 const GxrCoordParams* inputParams, const GxrCoordParams* outputParams, int count,
                 const void* inputPoints, GxrPointArray* result, GxrDiagnostic* diagnostic,
                 const std::function<int(engine::Engine&)>& afterwards) {
  if (inputDatum == nullptr || outputDatum == nullptr || inputSystem == nullptr ||
      outputSystem == nullptr || result == nullptr || diagnostic == nullptr ||
      (count > 0 && inputPoints == nullptr))
    return GXR_NULL_POINTER;
  if (count < 0) return GXR_INVALID_FLAG;
  return withEngine(diagnostic, [&](Engine& engine) -> int {
    int engineStatus = 0;
    long inputIndex = 0, outputIndex = 0, inputDatumIndex = 0, outputDatumIndex = 0;
    if (engineStatus == 0) engineStatus = engine.systemIndex(inputSystem, &inputIndex);
    if (engineStatus == 0) engineStatus = engine.setSystem(Side::input, static_cast<int>(inputIndex - 1));
    if (engineStatus == 0) engineStatus = engine.systemIndex(outputSystem, &outputIndex);
    if (engineStatus == 0) engineStatus = engine.setSystem(Side::output, static_cast<int>(outputIndex - 1));
    if (engineStatus == 0) engineStatus = engine.datumIndex(inputDatum, &inputDatumIndex);
    if (engineStatus == 0) engineStatus = engine.setDatum(Side::input, inputDatumIndex);
    if (engineStatus == 0) engineStatus = engine.datumIndex(outputDatum, &outputDatumIndex);
    if (engineStatus == 0) engineStatus = engine.setDatum(Side::output, outputDatumIndex);

    int libraryStatus = GXR_OK;
    if (engineStatus == 0) {
      const int inputType = static_cast<int>(inputIndex - 1);
      const int outputType = static_cast<int>(outputIndex - 1);
      if (inputParams != nullptr) libraryStatus = GXR_CoordParamSet(0, inputType, inputParams);
      if (libraryStatus == GXR_OK && outputParams != nullptr)
        libraryStatus = GXR_CoordParamSet(1, outputType, outputParams);
      if (libraryStatus == GXR_OK) {
        void* block = nullptr;
        if (GXR_MemGet(&block, static_cast<std::size_t>(count), pointSize(outputType)) != GXR_OK) {
          libraryStatus = GXR_NO_MEMORY;
        } else {
          adviseHugePages(block, static_cast<std::size_t>(count) * pointSize(outputType));
          result->points = block;
          // The sides were just set to these types, so the exported
          // building blocks' checks are done once here rather than per point.
          for (int i = 0; i < count && libraryStatus == GXR_OK; ++i) {
            libraryStatus = loadPoint(engine, inputType, inputPoints, i, true);
            if (libraryStatus != GXR_OK) break;
            const int converted = engine.convert();
            libraryStatus = converted & ~eng::kWarningBits ? translate(converted)
                                                            : readPoint(engine, converted, outputType, block, i);
          }
          result->count = count;
        }
      }
    }
    const int diagnosticStatus = GXR_DtccDiagnosticGet(engineStatus, diagnostic);
    if (libraryStatus != GXR_OK) return libraryStatus;
    if (diagnosticStatus == GXR_OK && engineStatus == 0 && afterwards) return afterwards(engine);
    if (diagnosticStatus != GXR_OK) return diagnosticStatus;
    return engineStatus != 0 ? translate(engineStatus) : GXR_OK;
  });
}

}  // namespace gxr::dtcc

extern "C" {

int GXR_CoordParamSet(int direction, int type, const GxrCoordParams* params) {
  if (params == nullptr) return GXR_NULL_POINTER;
  if (!validType(type) || (direction != 0 && direction != 1)) return GXR_INVALID_FLAG;
  const ParameterShape shape = eng::parameterShape(type);
  if (shape == ParameterShape::none) return GXR_OK;
  Engine& engine = Engine::instance();
  int status = 0;
  if (shape == ParameterShape::gridDigits) {
    status = engine.setPrecision(params->precision);
  } else {
    const Side side = direction == 0 ? Side::input : Side::output;
    status = engine.setParameters(side, type, parametersOf(type, *params));
  }
  return status != 0 ? translate(status) : GXR_OK;
}

int GXR_CoordPointSet(int type, int index, const void* points) {
  if (points == nullptr) return GXR_NULL_POINTER;
  if (!validType(type) || index < 0) return GXR_INVALID_FLAG;
  return loadPoint(Engine::instance(), type, points, index, false);
}

int GXR_CoordinateGet(int type, int index, void* points) {
  if (points == nullptr) return GXR_NULL_POINTER;
  Engine& engine = Engine::instance();
  const int converted = engine.convert();
  if (converted & ~eng::kWarningBits) return translate(converted);
  if (!validType(type) || index < 0) return GXR_INVALID_FLAG;
  if (int status = checkSideType(Side::output, type); status != 0) return translate(converted | status);
  return readPoint(engine, converted, type, points, index);
}

int GXR_CoordinatesConvert(const char* inputDatum, const char* outputDatum, const char* inputSystem,
                           const char* outputSystem, const GxrCoordParams* inputParams,
                           const GxrCoordParams* outputParams, int count, const void* inputPoints,
                           GxrPointArray* result, GxrDiagnostic* diagnostic) {
  return convertBatch(inputDatum, outputDatum, inputSystem, outputSystem, inputParams, outputParams, count,
                      inputPoints, result, diagnostic, {});
}

int GXR_CoordinateConvert(const char* inputDatum, const char* outputDatum, int inputType, int outputType,
                          const GxrCoordParams* inputParams, const GxrCoordParams* outputParams, int count,
                          const void* inputPoints, void** resultPoints) {
  if (resultPoints == nullptr) return GXR_NULL_POINTER;
  Engine& engine = Engine::instance();
  char inputCode[eng::kSystemCodeLength + 1] = {}, outputCode[eng::kSystemCodeLength + 1] = {};
  if (int status = engine.systemCode(inputType + 1L, inputCode); status != 0) return translate(status);
  if (int status = engine.systemCode(outputType + 1L, outputCode); status != 0) return translate(status);
  GxrPointArray result{};
  GxrDiagnostic diagnostic{};
  const int status = GXR_CoordinatesConvert(inputDatum, outputDatum, inputCode, outputCode, inputParams,
                                            outputParams, count, inputPoints, &result, &diagnostic);
  *resultPoints = result.points;
  return status == GXR_DTCC_WARNING ? GXR_OK : status;
}

int GXR_CoordinateSystemListGet(GxrCoordSysList* list, GxrDiagnostic* diagnostic) {
  if (list == nullptr || diagnostic == nullptr) return GXR_NULL_POINTER;
  return withEngine(diagnostic, [&](Engine& engine) -> int {
    long count = 0;
    int engineStatus = engine.systemCount(&count);
    int cut = GXR_OK;
    if (count > GXR_COORD_SYSTEMS) {
      count = GXR_COORD_SYSTEMS;
      cut = GXR_DTCC_TABLE_SMALL;
    }
    list->count = static_cast<int32_t>(count);
    for (long k = 1; k <= count && engineStatus == 0; ++k) {
      char*& name = list->names[k - 1];
      char*& code = list->codes[k - 1];
      if ((name = newText(eng::kSystemNameLength + 1)) == nullptr) return GXR_NO_MEMORY;
      engineStatus = engine.systemName(k, name);
      if (engineStatus != 0) break;
      if ((code = newText(4)) == nullptr) return GXR_NO_MEMORY;
      engineStatus = engine.systemCode(k, code);
    }
    if (cut != GXR_OK) return cut;
    if (engineStatus != 0) {
      GXR_DtccDiagnosticGet(engineStatus, diagnostic);
      return translate(engineStatus);
    }
    return GXR_OK;
  });
}

int GXR_CoordSysListGet(int* count, char** names) {
  if (count == nullptr || names == nullptr) return GXR_NULL_POINTER;
  GxrCoordSysList list{};
  GxrDiagnostic diagnostic{};
  int status = GXR_CoordinateSystemListGet(&list, &diagnostic);
  if (status == GXR_OK) {
    *count = list.count;
    for (int i = 0; i < list.count; ++i) {
      const std::size_t size = std::strlen(list.names[i]) + 1;
      if ((names[i] = newText(size)) == nullptr) {
        status = GXR_NO_MEMORY;
        break;
      }
      std::memcpy(names[i], list.names[i], size);
    }
  }
  releaseList(list.codes, list.names, GXR_COORD_SYSTEMS);
  return status;
}

}  // extern "C"
