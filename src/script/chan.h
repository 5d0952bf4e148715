// Cchan: a counted row of float cells sampled along a body (a fin, a tail), with the
// ramp, bump, S-curve, blend and sine fills that fin motions are built from.
//
// Cell 0 is the body end of the strip; a position is a fractional cell index. A ramp from
// a to b gives a + i (b - a) / (n - 1) at cell i; a chan of one cell takes a. Everything
// runs per fin per fish per frame: plain loops, no allocation outside resize.
#pragma once

#include <vector>

#include "support/mystring.h"

class CanimValueNew;

// S(t) = t^2 (3 - 2t), not clamped.
inline float sCurve(float t) {
    return t * t * (3.0f - 2.0f * t);
}

// More cells than any strip of a body needs; a larger count is refused.
constexpr int kMaxChanCells = 65536;

class Cchan {
  public:
    Cchan() = default;
    ~Cchan() { delete[] values; }
    Cchan(Cchan const&) = delete;
    Cchan& operator=(Cchan const&) = delete;

    // n cells, all 0. A negative n gives none; above kMaxChanCells, none and "chan size
    // error".
    void resize(int n);
    // Cell i = atof(texts[start + i]) for as many cells as there are texts.
    void fillUsingValuesFromStringArray(std::vector<Cstring> const& texts, int start);
    // Linear lookup at a position, held at the ends; 0 for an empty chan.
    float getValueAt(float x) const;
    // Cell i = table at the position in positions cell i.
    void doLookup(Cchan const& positions, Cchan const& table);

    void set(float v);
    void zero() { set(0.0f); }
    void add(float v);
    void add(Cchan const& other);
    void addMultedChan(Cchan const& other, float k);
    void mult(float k);
    // Operands must have the same count ("chan size error" otherwise).
    void mult(Cchan const& other);
    // Cell i = a cell i x b cell i; a and b at least as long as this chan.
    void multOf(Cchan const& a, Cchan const& b);
    // Adds the ramp from a to b.
    void lerpAdd(float a, float b);
    // Cells from..min(to, n - 1) become the ramp from a at from to b at to.
    void lerpReplaceFast(int from, int to, float a, float b);
    // Cell i = A + (B - A) x the ramp from a to b.
    void blendUsing2Floats(Cchan const& A, Cchan const& B, float a, float b);
    // Adds S of the ramp from a to b.
    void scurveAdd(float a, float b);
    // Cells whose centres lie between positions p and q become an S from low to high.
    void scurveAdd(float p, float q, float low, float high);
    // Blends the cells around centre toward 1 by an S-shaped bump.
    void bumpComp(float centre, float halfWidth, float height);
    // Composites a plateau from a to b with S shoulders of width w over the cells.
    void bumpCompWideWithAlpha(float a, float b, float w, float value, float alpha);
    // Cell i = amplitude x sin(ramp from start to end) [x weights cell i].
    void angleToSine(float amplitude, float start, float end);
    void angleToSine(float amplitude, Cchan const& weights, float start, float end);
    // sines cell i = sin(cell i), cosines cell i = cos(cell i).
    void angleToSineAndCos(Cchan& sines, Cchan& cosines) const;
    // Samples the keyframed value into the cells, advancing it by dt per cell.
    void fillUsingAnimValue(CanimValueNew& value, float dt);
    void showChan(char const* label) const;
    void renderChan(char const*, float) const {}

    int count = 0;
    float* values = nullptr;

  private:
    // True when other holds at least count cells; otherwise "cioorA" and false.
    bool covers(Cchan const& other, char const* operation) const;
    float ramp(int i, float a, float b) const {
        return count > 1 ? a + static_cast<float>(i) * (b - a) / static_cast<float>(count - 1) : a;
    }
};
