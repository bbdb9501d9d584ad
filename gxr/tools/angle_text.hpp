// Angles as people who use coordinate tools write them: decimal degrees,
// degrees-minutes-seconds with markers (38d30'15.5") or colons (38:30:15.5),
// signed or with a hemisphere letter before or after (77W, S33.5).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace gxr_tool {

// Which coordinate a hemisphere letter makes an angle: N and S a latitude,
// E and W a longitude; none for a bare number.
enum class Axis { none, latitude, longitude };

struct Angle {
  double degrees = 0;  // negative south and west
  Axis axis = Axis::none;
};

// The angle of text, or nothing when it is not one: minutes and seconds must
// be below 60 and only the last part may have a fraction; a sign and a
// hemisphere letter do not go together.
std::optional<Angle> parseAngle(std::string_view text);

enum class AngleStyle {
  decimal,  // -77.008333333
  dms,      // 77d00'30.000"W
  colons    // -77:00:30.000
};

// degrees written in style with digits decimals (of the degrees, or of the
// seconds); axis picks the hemisphere letters of dms.
std::string formatAngle(double degrees, Axis axis, AngleStyle style, int digits);

}  // namespace gxr_tool
