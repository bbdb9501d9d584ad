// libFuzzer target: the coordinate texts a user of the gxr tool writes, on
// arbitrary bytes, through the library's conversions and the tool's angle
// reader. The first byte picks the kind, the rest is the text: an MGRS or a
// GEOREF reference, a UTM position ("zone hemisphere easting northing"), or
// an angle. Each gives a status or a point, never a crash. Run with
// run_fuzz.sh beside this file.
#include <gxr/gxr.h>
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>

#include "angle_text.hpp"

namespace {

// The engine once per process, on a user data directory of its own.
void initialise() {
    static const bool done = [] {
        char pattern[] = "/tmp/gxr-fuzz-XXXXXX";
        if (mkdtemp(pattern) == nullptr) std::abort();
        static const std::string user = pattern;
        std::atexit([] { std::filesystem::remove_all(user); });
        setenv("USER_DATA", user.c_str(), 1);
        if (std::getenv("GXR_DATA_DIR") == nullptr) setenv("GXR_DATA_DIR", "/usr/share/geotranz/data", 1);
        GxrDiagnostic diagnostic{};
        return GXR_ThreadInit() == GXR_OK && GXR_DtccInitialize(6, 6, &diagnostic) == GXR_OK;
    }();
    if (!done) std::abort();
}

void convert(const char* from, const char* to, const void* point) {
    GxrPointArray result{};
    GxrDiagnostic diagnostic{};
    if (GXR_CoordinatesConvert("WGE", "WGE", from, to, nullptr, nullptr, 1, point, &result, &diagnostic) ==
            GXR_OK &&
        result.count != 1)
        std::abort();
    GXR_PtrFree(&result.points);
}

template <std::size_t N>
void copy_text(char (&field)[N], const std::string& text) {
    std::strncpy(field, text.c_str(), N - 1);
    field[N - 1] = '\0';
}

void grid_text(const char* system, const std::string& text) {
    GxrGridPoint point{};
    if (std::strcmp(system, "MG") == 0) copy_text(point.mgrs, text);
    else copy_text(point.georef, text);
    convert(system, "GD", &point);
    convert(system, "UT", &point);
}

void utm_text(const std::string& text) {
    std::istringstream in(text);
    GxrGridPoint point{};
    std::string hemisphere;
    in >> point.zone >> hemisphere >> point.easting >> point.northing;
    point.hemisphere = hemisphere.empty() ? 'N' : hemisphere[0];
    convert("UT", "GD", &point);
    convert("UT", "MG", &point);
}

void angle_text(const std::string& text) {
    const auto angle = gxr_tool::parseAngle(text);
    if (!angle) return;
    GxrPoint3 point{};
    point.geodetic.latitude = angle->axis == gxr_tool::Axis::longitude ? 0.0 : angle->degrees;
    point.geodetic.longitude = angle->axis == gxr_tool::Axis::longitude ? angle->degrees : 0.0;
    convert("GD", "MG", &point);
    convert("GD", "GE", &point);
    for (auto style : {gxr_tool::AngleStyle::decimal, gxr_tool::AngleStyle::dms, gxr_tool::AngleStyle::colons})
        gxr_tool::formatAngle(angle->degrees, angle->axis, style, 3);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    initialise();
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 4) {
    case 0: grid_text("MG", text); break;
    case 1: grid_text("GE", text); break;
    case 2: utm_text(text); break;
    default: angle_text(text); break;
    }
    return 0;
}
