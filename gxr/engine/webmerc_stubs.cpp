// libgeotranz 3.7 as shipped by Debian references three Web Mercator members
// that it never defines, so nothing linking it resolves at start-up. The
// library never offers Web Mercator, so the members only refuse the work.
// They must keep default visibility: libgeotranz.so binds to them through
// the dynamic symbol table of whatever module carries this file.

#include "CoordinateConversionException.h"
#include "GeodeticCoordinates.h"
#include "MapProjectionCoordinates.h"
#include "WebMercator.h"

namespace MSP::CCS {

namespace {
[[noreturn]] void refuse() {
  throw CoordinateConversionException("Web Mercator is not available\n");
}
}  // namespace

__attribute__((visibility("default"))) WebMercator::WebMercator(char*) { refuse(); }

__attribute__((visibility("default"))) MapProjectionCoordinates* WebMercator::convertFromGeodetic(
    GeodeticCoordinates*) {
  refuse();
}

__attribute__((visibility("default"))) GeodeticCoordinates* WebMercator::convertToGeodetic(
    MapProjectionCoordinates*) {
  refuse();
}

}  // namespace MSP::CCS
