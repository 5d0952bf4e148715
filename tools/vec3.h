// Small vector and colour helpers the resource generators share.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

struct V3 {
    double x, y, z;
};
inline V3 operator+(V3 a, V3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline V3 operator-(V3 a, V3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline V3 operator*(V3 a, double s) {
    return {a.x * s, a.y * s, a.z * s};
}
inline double dot(V3 a, V3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline V3 cross(V3 a, V3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double length(V3 a) {
    return std::sqrt(dot(a, a));
}
// Straight up for a vector too short to have a direction.
inline V3 unit(V3 a) {
    double l = length(a);
    return l > 1e-12 ? V3{a.x / l, a.y / l, a.z / l} : V3{0, 1, 0};
}
// A channel value in 0..1 as a byte, rounded.
inline uint8_t byte(double v) {
    return static_cast<uint8_t>(std::clamp(v, 0.0, 1.0) * 255.0 + 0.5);
}
inline double mix(double a, double b, double t) {
    return a + (b - a) * t;
}
inline double smoothStep(double a, double b, double x) {
    double t = std::clamp((x - a) / (b - a), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}
