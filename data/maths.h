// Numbers and small shaping functions shared by the pictures and the soundtrack.
#pragma once

#include <algorithm>

inline constexpr double pi = 3.141592653589793;

// 0 below edge0, 1 above edge1, and a smooth cubic step between them.
inline double smoothstep(double edge0, double edge1, double x)
{
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}
