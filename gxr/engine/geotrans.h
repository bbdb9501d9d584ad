// The engine's systems, points and messages in GEOTRANS 3.7's own types. Only
// the engine layer's sources include this; libgxr's header knows nothing of it.
#pragma once

#include <memory>
#include <string_view>

#include "Accuracy.h"
#include "CoordinateConversionException.h"
#include "CoordinateConversionService.h"
#include "CoordinateSystemParameters.h"
#include "CoordinateTuple.h"
#include "CoordinateType.h"
#include "DatumLibrary.h"
#include "EllipsoidLibrary.h"
#include "GeodeticCoordinates.h"
#include "GeodeticParameters.h"
#include "HeightType.h"
#include "engine.h"

namespace gxr::engine {

namespace ccs = MSP::CCS;
using CT = ccs::CoordinateType;

// The 3.7 parameters of a system of the catalogue.
std::unique_ptr<ccs::CoordinateSystemParameters> parametersFor37(int type, const Parameters& p);
// An empty 3.7 point of the system; grid texts get the digits given.
std::unique_ptr<ccs::CoordinateTuple> tupleFor37(int type, int precision);
// A point into a tuple of the system, and back.
void storeInput(int type, const Coordinates& c, ccs::CoordinateTuple* tuple);
void loadOutput(int type, ccs::CoordinateTuple* tuple, Coordinates& c);

// A 3.7 message line and the side bit it stands for. "Invalid Hemisphere"
// shares the hemisphere bit with the Lambert parallels as it did in the
// engine generation the bits come from; such a message keeps its own words
// in the side's text, as the bit's text says otherwise.
struct MessageBit {
  const char* const* message;
  long bit;
  bool ownWords = false;
};

// The bit of a message line without its line feed, or null.
const MessageBit* messageBit(std::string_view line);

}  // namespace gxr::engine
