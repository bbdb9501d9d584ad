// What the engine-backed functions share: status translation, angle
// conversion, heap texts and the initialise-then-lock frame of an operation.
#pragma once

#include <cstddef>

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

// Runs steps with the engine initialised (refresh 6, 6) and the engine lock
// held; a failure of either wins and the steps do not run.
template <class Steps>
int withEngine(GxrDiagnostic* diagnostic, Steps steps) {
  if (int status = GXR_DtccInitialize(6, 6, diagnostic); status != GXR_OK) return status;
  LockHold hold(engineLock());
  if (hold.status() != GXR_OK) return hold.status();
  return steps(engine::Engine::instance());
}

}  // namespace gxr::dtcc
