// Degree/radian factors shared by libgxr's sources: angles cross the
// interface in degrees and are worked in radians.
#pragma once

#include <numbers>

namespace gxr {

inline constexpr double kPi = std::numbers::pi;
inline constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;
inline constexpr double kDegreesPerRadian = 180.0 / std::numbers::pi;

}  // namespace gxr
