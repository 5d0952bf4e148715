#include "support/vector.h"

#include <cfloat>
#include <cmath>
#include <ostream>

#include "support/cerr.h"

char const* vectErrProc = "";
char const* vectErrMsg = "";
int32_t vectErrIndex = 0;
int32_t numTestsAfter = -1;
int32_t vectorError = 0;

// Only the first run-away of a run is reported; later ones are just repaired.
static bool vectorFailureReported = false;

void resetVectorFailureReport() {
    vectorFailureReported = false;
    vectorError = 0;
}

float Cvector::normalize() {
    float s = x * x + y * y + z * z;
    if (!(s > FLT_MIN)) return s; // tiny, zero or NaN: leave it
    if (s == 1.0f) return 1.0f;
    float len = std::sqrt(s);
    float inv = 1.0f / len;
    x *= inv, y *= inv, z *= inv;
    return len;
}

float Cvector::length() const {
    return std::sqrt(lengthSquared());
}

Cvector& Cvector::containWithinBounds(float const* b) {
    makeLegal(x, b[0], b[1], 0.0f);
    makeLegal(y, b[2], b[3], 0.0f);
    makeLegal(z, b[4], b[5], 0.0f);
    return *this;
}

int Cvector::reportFailure(char const* tag) {
    if (!vectorFailureReported) {
        VTRACE(1, "ERROR! bad vect " << (vectErrProc ? vectErrProc : "") << " msg:"
                                     << (vectErrMsg ? vectErrMsg : "") << " call:" << (tag ? tag : "")
                                     << " idx:" << vectErrIndex << " checksAfter" << numTestsAfter << "  "
                                     << static_cast<void const*>(this) << " " << *this);
        vectorFailureReported = true;
        vectorError = 1;
        setExitError("Bad vector", 1);
    }
    set(0.0f, 1.0f, 0.0f);
    return 1;
}

std::ostream& operator<<(std::ostream& out, Cvector const& v) {
    return out << v.x << ", " << v.y << ", " << v.z << " ";
}

float areaOfTriangle(Cvector const& a, Cvector const& b, Cvector const& c) {
    float l1 = (b - a).length();
    float l2 = (c - b).length();
    float l3 = (a - c).length();
    float s = (l1 + l2 + l3) * 0.5f;
    float q = s * (s - l1) * (s - l2) * (s - l3);
    // Rounding can take a flat triangle's product just below zero.
    return q > 0.0f ? std::sqrt(q) : 0.0f;
}

void Cfixed8_8::set(float f) {
    float scaled = f * 256.0f;
    if (!(scaled == scaled)) {
        value = 0;
    } else if (scaled >= 32767.0f) {
        value = 32767;
    } else if (scaled <= -32768.0f) {
        value = -32768;
    } else {
        value = static_cast<int16_t>(scaled); // truncates toward zero
    }
}

std::ostream& operator<<(std::ostream& out, Cfixed8_8 const& f) {
    return out << f.get() << "[" << f.value << "]";
}

std::ostream& operator<<(std::ostream& out, CintVector const& v) {
    return out << v.x << ", " << v.y << ", " << v.z << " ";
}
