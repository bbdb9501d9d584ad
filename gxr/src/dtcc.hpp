// What the engine-backed functions share: status translation, angle
// conversion, heap texts and the initialise-then-lock frame of an operation.
#pragma once

#include <cstddef>
#include <functional>

#include "engine.h"
#include "gxr/gxr.h"
#include "locks.hpp"

namespace gxr::dtcc {

// The diagnostic service's translation of an engine status (operation 10);
// it also keeps the status as the last one.
int translate(int engineStatus);

double radians(double degrees);
double degrees(double radians);

// A zero-filled block of the library's heap, or null.
char* newText(std::size_t size);

// Copies text into a field of size bytes, cut to fit and terminated.
void copyField(char* field, std::size_t size, const char* text);

// GXR_CoordinatesConvert, with afterwards run on the engine when the batch
// succeeded, inside the same hold of the engine lock, so that it sees the
// engine as the batch left it; its status is then the result.
int convertBatch(const char* inputDatum, const char* outputDatum, const char* inputSystem, const char* outputSystem,
                 const GxrCoordParams* inputParams, const GxrCoordParams* outputParams, int count,
                 const void* inputPoints, GxrPointArray* result, GxrDiagnostic* diagnostic,
                 const std::function<int(engine::Engine&)>& afterwards);

// Whether an operation's result includes the status of giving back the
// engine lock (it does, except for heights above the geoid).
enum class Release { reported, ignored };

// Runs steps with the engine initialised (refresh 6, 6) and the engine lock
// held; a failure of either wins and the steps do not run. A failed release
// wins over the steps' status where it is reported.
template <class Steps>
int withEngine(GxrDiagnostic* diagnostic, Steps steps, Release release = Release::reported) {
  if (int status = GXR_DtccInitialize(6, 6, diagnostic); status != GXR_OK) return status;
  LockHold hold(engineLock());
  if (hold.status() != GXR_OK) return hold.status();
  const int status = steps(engine::Engine::instance());
  const int released = hold.release();
  return release == Release::reported && released != GXR_OK ? released : status;
}

}  // namespace gxr::dtcc
