// Cvector, the 3-D value type of every simulation and rendering step, and the small
// fixed-point and split-position types the data-array code passes around.
//
// Plain values: no bases, no virtual calls, no heap. Products with the rotation and
// transform matrices are declared here and defined inline in matrix3.h, matrix4.h and
// esTransform.h, so a caller multiplying by a matrix has that matrix's header anyway.
#pragma once

#include <cstdint>
#include <iosfwd>

class Cmatrix3;
class Cmatrix_4;
struct ESMatrix;

// Vector checks made since the start (a count for the failure trace).
extern int32_t numTestsAfter;

class Cvector {
  public:
    Cvector() : x(0), y(0), z(0) {}
    Cvector(float ax, float ay, float az) : x(ax), y(ay), z(az) {}

    void set(float ax, float ay, float az) { x = ax, y = ay, z = az; }

    // this = a x b (a or b may be this).
    Cvector& crossOf(Cvector const& a, Cvector const& b) {
        float cx = a.y * b.z - a.z * b.y;
        float cy = a.z * b.x - a.x * b.z;
        float cz = a.x * b.y - a.y * b.x;
        x = cx, y = cy, z = cz;
        return *this;
    }

    // Scales to unit length and returns the former length. A vector whose squared length
    // is at most the smallest normal float (or NaN) is left alone and the squared length
    // returned; an exactly unit vector returns 1.
    float normalize();

    float dot(Cvector const& o) const { return x * o.x + y * o.y + z * o.z; }
    float lengthSquared() const { return x * x + y * y + z * z; }
    float length() const;

    Cvector operator+(Cvector const& o) const { return Cvector(x + o.x, y + o.y, z + o.z); }
    Cvector operator-(Cvector const& o) const { return Cvector(x - o.x, y - o.y, z - o.z); }
    Cvector operator-() const { return Cvector(-x, -y, -z); }
    Cvector operator*(float f) const { return Cvector(x * f, y * f, z * f); }
    Cvector& operator+=(Cvector const& o) {
        x += o.x, y += o.y, z += o.z;
        return *this;
    }
    Cvector& operator-=(Cvector const& o) {
        x -= o.x, y -= o.y, z -= o.z;
        return *this;
    }
    Cvector& operator*=(float f) {
        x *= f, y *= f, z *= f;
        return *this;
    }

    // Local to parent: x r0 + y r1 + z r2 (matrix3.h).
    inline Cvector& operator*=(Cmatrix3 const& m);
    // Parent to local: dot products with the rows (matrix3.h).
    inline Cvector& operator/=(Cmatrix3 const& m);
    // Rotation part of a transform only (matrix4.h).
    inline Cvector& operator^=(Cmatrix_4 const& m);
    // Rotated, then the translation added (matrix4.h).
    inline Cvector& operator*=(Cmatrix_4 const& m);
    // Translation taken off, then dot products with the rows (matrix4.h).
    inline Cvector& operator/=(Cmatrix_4 const& m);
    // Column-layout render matrix products (esTransform.h).
    inline Cvector& operator*=(ESMatrix const& e);
    inline Cvector& operator/=(ESMatrix const& e);

    // Skinning blend: this transformed by a, by b, and mixed by f (a Cmatrix3 or Cmatrix_4
    // pair; the matrix header supplies the product).
    template <typename Matrix> Cvector& blendByMatrices(Matrix const& a, Matrix const& b, float f) {
        Cvector pa = *this, pb = *this;
        pa *= a;
        pb *= b;
        *this = pa + (pb - pa) * f;
        return *this;
    }

    // bounds: min x, max x, min y, max y, min z, max z. A component outside its range
    // becomes 0.
    Cvector& containWithinBounds(float const* bounds);

    // 0 when the vector is sane. Otherwise resets it to (0, 1, 0) and returns 1; the first
    // failure of the run is traced and stops the saver with the reason "Bad vector".
    int quickFailureTest(char const* tag) {
        numTestsAfter++;
        float s = x + y + z;
        if (s > -1e13f && s < 1e12f) return 0; // a NaN sum fails both
        return reportFailure(tag);
    }
    // The failing half of quickFailureTest.
    int reportFailure(char const* tag);

    float x, y, z;
};

std::ostream& operator<<(std::ostream& out, Cvector const& v);

// Heron's formula over the three side lengths; 0 for a degenerate triangle.
float areaOfTriangle(Cvector const& a, Cvector const& b, Cvector const& c);

// Breadcrumbs that long computations leave for the run-away report.
extern char const* vectErrProc;
extern char const* vectErrMsg;
extern int32_t vectErrIndex;
extern int32_t vectorError;

// Re-arms the one-time run-away report (a fresh run, or a test).
void resetVectorFailureReport();

// 8.8 fixed point: one signed 16-bit integer holding value x 256. Left unset on
// construction, like the integer it wraps.
class Cfixed8_8 {
  public:
    Cfixed8_8() {}

    // Stores f x 256 truncated toward zero; out-of-range values saturate, NaN gives 0.
    void set(float f);
    float get() const { return static_cast<float>(value) / 256.0f; }

    int16_t value;
};

// The value as a float, then "[raw]".
std::ostream& operator<<(std::ostream& out, Cfixed8_8 const& f);

class CintVector {
  public:
    Cfixed8_8 x, y, z;
};

std::ostream& operator<<(std::ostream& out, CintVector const& v);

// A position split into a whole part and a fraction (sample index and weight).
class CintAndFract {
  public:
    CintAndFract() {}

    int32_t i;
    float fract;
};
