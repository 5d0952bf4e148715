// The pseudo-angle: one division per call, four sectors split by the diagonals.
#include "fish/pseudoAngle.h"

#include <cmath>

namespace {

constexpr float sixtyDegrees = 1.0472f; // the heading per unit of x / length ahead
constexpr float quarterTurn = 1.5708f;
constexpr float third = 0.3333f;

// Octagonal length of (x, y) for its sector.
float octagonalLength(float x, float y) {
    if (y > x && y > -x) return y + third * std::fabs(x);  // ahead
    if (x >= y && y > -x) return x + third * std::fabs(y); // right
    if (y > x) return third * std::fabs(y) - x;            // left
    return third * std::fabs(x) - y;                       // behind
}

// The heading given the length's inverse.
float angleWith(float x, float y, float inverse) {
    if (y > x && y > -x) return sixtyDegrees * x * inverse;
    if (x >= y && y > -x) return quarterTurn - sixtyDegrees * y * inverse;
    if (y > x) return sixtyDegrees * y * inverse - quarterTurn;
    if (x == 0.0f) return 0.0f; // straight behind (and the zero vector)
    return sixtyDegrees * ((x > 0.0f ? 3.0f : -3.0f) - x * inverse);
}

} // namespace

float vectToAngleAndDist(float x, float y, float& distance) {
    distance = octagonalLength(x, y);
    return angleWith(x, y, distance > 0.0f ? 1.0f / distance : 0.0f);
}

float vectToAngleAndInvDist(float x, float y, float& inverseDistance) {
    float d = octagonalLength(x, y);
    inverseDistance = d > 0.0f ? 1.0f / d : 0.0f;
    return angleWith(x, y, inverseDistance);
}
