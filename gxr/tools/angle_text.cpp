#include "angle_text.hpp"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace gxr_tool {
namespace {

// Degrees, minutes and seconds in the order they must come.
constexpr double kUnitDegrees[] = {1.0, 1.0 / 60, 1.0 / 3600};

struct Hemisphere {
  Axis axis = Axis::none;
  bool negative = false;
};

std::optional<Hemisphere> hemisphereOf(char letter) {
  switch (std::toupper(static_cast<unsigned char>(letter))) {
    case 'N': return Hemisphere{Axis::latitude, false};
    case 'S': return Hemisphere{Axis::latitude, true};
    case 'E': return Hemisphere{Axis::longitude, false};
    case 'W': return Hemisphere{Axis::longitude, true};
    default: return std::nullopt;
  }
}

// An unsigned decimal number at the front of text (digits, at most one
// point); its length in *used, whether it had a fraction in *fraction.
std::optional<double> leadingNumber(std::string_view text, std::size_t* used, bool* fraction) {
  std::size_t n = 0, digits = 0, points = 0;
  for (; n < text.size(); ++n) {
    if (std::isdigit(static_cast<unsigned char>(text[n]))) ++digits;
    else if (text[n] == '.') ++points;
    else break;
  }
  if (digits == 0 || points > 1) return std::nullopt;
  double value = 0;
  if (std::from_chars(text.data(), text.data() + n, value).ec != std::errc()) return std::nullopt;
  *used = n;
  *fraction = points == 1;
  return value;
}

// Which unit (0 degrees, 1 minutes, 2 seconds) the marker at the front of
// text names, and its length; a number without a marker takes the unit after
// the one before it.
int markerUnit(std::string_view text, int next, std::size_t* used) {
  *used = 0;
  if (text.empty()) return next;
  if (text.rfind("\xC2\xB0", 0) == 0) return *used = 2, 0;  // the degree sign
  if (text.rfind("''", 0) == 0) return *used = 2, 2;
  switch (text[0]) {
    case 'd': case 'D': return *used = 1, 0;
    case '\'': return *used = 1, 1;
    case '"': return *used = 1, 2;
    default: return -1;
  }
}

// "38d30'15.5"" or "38:30:15.5" or "38.5" without sign or hemisphere.
std::optional<double> unsignedAngle(std::string_view body) {
  const bool colons = body.find(':') != std::string_view::npos;
  double total = 0;
  int next = 0;
  bool previousFraction = false;
  while (!body.empty()) {
    if (next > 2 || previousFraction) return std::nullopt;
    std::size_t used = 0;
    bool fraction = false;
    const std::optional<double> value = leadingNumber(body, &used, &fraction);
    if (!value) return std::nullopt;
    body.remove_prefix(used);
    int unit = next;
    if (colons) {
      if (!body.empty() && body[0] != ':') return std::nullopt;
      if (!body.empty()) {
        body.remove_prefix(1);
        if (body.empty()) return std::nullopt;
      }
    } else {
      unit = markerUnit(body, next, &used);
      if (unit < next) return std::nullopt;
      body.remove_prefix(used);
    }
    if (unit > 0 && *value >= 60) return std::nullopt;
    total += *value * kUnitDegrees[unit];
    next = unit + 1;
    previousFraction = fraction;
  }
  return next == 0 ? std::nullopt : std::optional<double>(total);
}

}  // namespace

std::optional<Angle> parseAngle(std::string_view text) {
  bool negative = false, signed_ = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    signed_ = true;
    text.remove_prefix(1);
  }
  std::optional<Hemisphere> hemisphere;
  if (!text.empty() && (hemisphere = hemisphereOf(text.back()))) text.remove_suffix(1);
  else if (!text.empty() && (hemisphere = hemisphereOf(text.front()))) text.remove_prefix(1);
  if (hemisphere && signed_) return std::nullopt;
  const std::optional<double> magnitude = unsignedAngle(text);
  if (!magnitude) return std::nullopt;
  Angle angle;
  angle.degrees = (negative || (hemisphere && hemisphere->negative)) ? -*magnitude : *magnitude;
  if (hemisphere) angle.axis = hemisphere->axis;
  return angle;
}

std::string formatAngle(double degrees, Axis axis, AngleStyle style, int digits) {
  char buffer[96];
  if (style == AngleStyle::decimal) {
    std::snprintf(buffer, sizeof buffer, "%.*f", digits, degrees);
    return buffer;
  }
  // Rounded once in units of the last digit, so that 59.9996 seconds never
  // shows as 60.000.
  const double scale = std::pow(10.0, digits);
  const auto units = static_cast<std::int64_t>(std::llround(std::fabs(degrees) * 3600 * scale));
  const auto perSecond = static_cast<std::int64_t>(scale);
  const std::int64_t wholeSeconds = units / perSecond, fraction = units % perSecond;
  const long long d = wholeSeconds / 3600, m = wholeSeconds / 60 % 60, s = wholeSeconds % 60;
  char seconds[40];
  const double secondsValue = static_cast<double>(s) + static_cast<double>(fraction) / scale;
  std::snprintf(seconds, sizeof seconds, "%0*.*f", digits > 0 ? digits + 3 : 2, digits, secondsValue);
  const bool negative = degrees < 0 && units != 0;
  if (style == AngleStyle::colons) {
    std::snprintf(buffer, sizeof buffer, "%s%lld:%02lld:%s", negative ? "-" : "", d, m, seconds);
    return buffer;
  }
  const char* letters = axis == Axis::longitude ? "EW" : "NS";
  std::snprintf(buffer, sizeof buffer, "%lldd%02lld'%s\"%c", d, m, seconds, letters[negative ? 1 : 0]);
  return buffer;
}

}  // namespace gxr_tool
