// Binding to the conversion engine: one-time initialisation, the diagnostic
// record and the translation of engine statuses into library codes.
#include "dtcc.hpp"

#include "posix_file.hpp"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace gxr::dtcc {

namespace {

using engine::Engine;
using engine::Side;

constexpr int kNoRefresh = 6;
constexpr std::size_t kPathSize = 1024;

// Set once the engine is up, never cleared; a failed initialisation leaves
// it clear so that a later call tries again.
std::atomic<bool> gInitialised{false};
// Meaningful to one caller at a time; atomic only so that concurrent callers
// read a whole value.
std::atomic<int> gLastEngineStatus{0};

// The "NAME=value" texts handed to putenv: the environment points into them
// for the rest of the process, so one is released only when a retried
// initialisation has put another in its place.
char* gEnvironmentTexts[3] = {};

int exportVariable(int slot, const char* name, const std::string& value) {
  const std::string wanted = name + value;
  char*& current = gEnvironmentTexts[slot];
  if (current != nullptr && wanted == current) return GXR_OK;
  char* text = newText(wanted.size() + 1);
  if (text == nullptr) return GXR_NO_MEMORY;
  std::memcpy(text, wanted.c_str(), wanted.size() + 1);
  if (::putenv(text) != 0) {
    GXR_PtrFree(reinterpret_cast<void**>(&text));
    return GXR_NO_MEMORY;
  }
  GXR_PtrFree(reinterpret_cast<void**>(&current));
  current = text;
  return GXR_OK;
}

struct TablePaths {
  char datum3[kPathSize];
  char datum7[kPathSize];
  char ellipsoid[kPathSize];
};

// A directory too long for a path buffer is an environment the library
// cannot use.
int composePaths(const std::string& dir, TablePaths* paths) {
  struct {
    char* path;
    const char* name;
  } files[] = {{paths->datum3, "3_param.dat"}, {paths->datum7, "7_param.dat"}, {paths->ellipsoid, "ellips.dat"}};
  for (auto& f : files) {
    int n = std::snprintf(f.path, kPathSize, "%s/%s", dir.c_str(), f.name);
    if (n < 0 || static_cast<std::size_t>(n) >= kPathSize) return GXR_ENV_ERROR;
  }
  return GXR_OK;
}

int refreshTable(const char* master, const char* user, int refresh) {
  int status = GXR_FileAccess(user, GXR_ACCESS_EXIST);
  if (status == GXR_FILE_NOT_EXIST || refresh == GXR_DTCC_REFRESH) return GXR_FileCopy(master, user);
  return status;
}

int initialise(int datumRefresh, int ellipsoidRefresh, GxrDiagnostic* diagnostic) {
  char* value = nullptr;
  if (int status = GXR_EnvGet("USER_DATA", &value); status != GXR_OK) return status;
  // Copied at once: the putenv calls below may move the environment.
  const std::string userDir = value;
  int status = GXR_EnvGet("GXR_DATA_DIR", &value);
  if (status == GXR_ENV_ERROR) status = GXR_EnvGet("DTCC_DATA_DIR", &value);
  if (status != GXR_OK) return status;
  const std::string dataDir = value;

  // The environment changes under the engine lock: a retry after a failed
  // initialisation may come from any thread.
  LockHold hold(engineLock());
  if (hold.status() != GXR_OK) return hold.status();
  if (gInitialised.load(std::memory_order_acquire)) return GXR_OK;
  if ((status = exportVariable(0, "DATUM_DATA=", userDir)) != GXR_OK) return status;
  if ((status = exportVariable(1, "ELLIPSOID_DATA=", userDir)) != GXR_OK) return status;
  if ((status = exportVariable(2, "GEOID_DATA=", dataDir)) != GXR_OK) return status;
  TablePaths user{}, master{};
  if ((status = composePaths(userDir, &user)) != GXR_OK) return status;
  if ((status = composePaths(dataDir, &master)) != GXR_OK) return status;

  // Processes starting together on one user directory take turns: the
  // first copies the tables, the others wait and find them whole, and no
  // late copy replaces a table another process has loaded or changed.
  const UniqueFd tables = lockTables(userDir.c_str());
  if ((status = refreshTable(master.datum3, user.datum3, datumRefresh)) != GXR_OK) return status;
  if ((status = refreshTable(master.datum7, user.datum7, datumRefresh)) != GXR_OK) return status;
  if ((status = refreshTable(master.ellipsoid, user.ellipsoid, ellipsoidRefresh)) != GXR_OK) return status;
  const int engineStatus = Engine::instance().initialize();
  if ((status = GXR_DtccDiagnosticGet(engineStatus, diagnostic)) != GXR_OK) return status;
  if (engineStatus != 0) return translate(engineStatus);
  gInitialised.store(true, std::memory_order_release);
  return GXR_OK;
}

}  // namespace

int translate(int engineStatus) {
  gLastEngineStatus.store(engineStatus, std::memory_order_relaxed);
  if (engineStatus == 0) return GXR_OK;
  if (engineStatus & (engine::kInvalidType | engine::kInvalidDirection | engine::kInvalidState |
                      engine::kPrecisionError))
    return GXR_DTCC_INTERNAL;
  if (engineStatus & (engine::kInvalidIndex | engine::kInvalidCode)) return GXR_DTCC_LOOKUP;
  if (engineStatus & (engine::kInputError | engine::kOutputError)) return GXR_DTCC_ERROR;
  if (engineStatus & ~(engine::kInvalidCode | engine::kOutputError | engine::kWarningBits))
    return GXR_DTCC_UNSPECIFIED;
  return GXR_DTCC_WARNING;
}

double radians(double degrees) {
  double result = 0;
  GXR_DegRadConvert(0, degrees, &result);
  return result;
}

double degrees(double radians) {
  double result = 0;
  GXR_DegRadConvert(1, radians, &result);
  return result;
}

char* newText(std::size_t size) {
  void* block = nullptr;
  return GXR_MemGet(&block, size, 1) == GXR_OK ? static_cast<char*>(block) : nullptr;
}

void copyField(char* field, std::size_t size, const char* text) {
  std::size_t n = strnlen(text, size - 1);
  std::memcpy(field, text, n);
  field[n] = '\0';
}

}  // namespace gxr::dtcc

using namespace gxr::dtcc;
using gxr::engine::Engine;
using gxr::engine::Side;

extern "C" {

int GXR_DtccInitialize(int datumRefresh, int ellipsoidRefresh, GxrDiagnostic* diagnostic) {
  if (diagnostic == nullptr) return GXR_NULL_POINTER;
  if (gInitialised.load(std::memory_order_acquire)) return GXR_OK;
  return initialise(datumRefresh, ellipsoidRefresh, diagnostic);
}

int GXR_DtccDiagnosticGet(int engineStatus, GxrDiagnostic* diagnostic) {
  if (diagnostic == nullptr) return GXR_NULL_POINTER;
  *diagnostic = GxrDiagnostic{};
  diagnostic->engineStatus = engineStatus;
  Engine& engine = Engine::instance();
  long input = 0, output = 0;
  if (int q = engine.conversionStatus(Side::input, &input); q != 0) return translate(q);
  diagnostic->inputStatus = static_cast<int32_t>(input);
  if (int q = engine.conversionStatus(Side::output, &output); q != 0) return translate(q);
  diagnostic->outputStatus = static_cast<int32_t>(output);
  const std::string engineText =
      engineStatus == 0 ? std::string(" dtcc - No errors or warnings\n") : Engine::statusText(engineStatus, "\r");
  copyField(diagnostic->engineText, sizeof diagnostic->engineText, engineText.c_str());
  std::string text;
  if (int q = engine.conversionText(Side::input, "\r", &text); q != 0) return translate(q);
  copyField(diagnostic->inputText, sizeof diagnostic->inputText, text.c_str());
  if (int q = engine.conversionText(Side::output, "\r", &text); q != 0) return translate(q);
  copyField(diagnostic->outputText, sizeof diagnostic->outputText, text.c_str());
  return GXR_OK;
}

int GXR_DtccDiagnosticService(int operation, int* value) {
  if (value == nullptr) return GXR_NULL_POINTER;
  switch (operation) {
    case GXR_DIAG_STORE: gLastEngineStatus.store(*value, std::memory_order_relaxed); return GXR_OK;
    case GXR_DIAG_FETCH: *value = gLastEngineStatus.load(std::memory_order_relaxed); return GXR_OK;
    case GXR_DIAG_TRANSLATE: return translate(*value);
    default: return GXR_INVALID_FLAG;
  }
}

int GXR_GeotransErrorGet(int direction) {
  if (direction != 0 && direction != 1) return -1;
  long status = 0;
  if (Engine::instance().conversionStatus(direction == 0 ? Side::input : Side::output, &status) != 0)
    return -1;
  // Compared as a whole: a side with two bits set is not any one of these.
  switch (status) {
    case 0: return GXR_OK;
    case 1:
    case 4: return GXR_DTCC_WARNING;
    case 16: return GXR_BAD_ORIGIN_LATITUDE;
    case 64:
    case 128: return GXR_BAD_LATITUDE;
    case 256: return GXR_BAD_EASTING;
    case 512: return GXR_BAD_NORTHING;
    case 1024: return GXR_TOO_FAR_FROM_POLE;
    case 2048: return GXR_BAD_HEMISPHERE;
    case 4096: return GXR_BAD_SCALE_FACTOR;
    case 8192: return GXR_BAD_PARALLEL_0;
    case 16384: return GXR_BAD_PARALLEL_1;
    case 32768: return GXR_BAD_PARALLEL_2;
    case 0x40000: return GXR_BAD_ZONE;
    case 0x100000: return GXR_BAD_MGRS;
    case 0x200000: return GXR_BAD_GEOREF;
    default: return translate(static_cast<int>(status));
  }
}

}  // extern "C"
