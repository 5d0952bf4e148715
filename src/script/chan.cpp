// Channel fills and arithmetic.
#include "script/chan.h"

#include <cmath>
#include <cstdlib>

#include "script/animValueNew.h"
#include "support/cerr.h"
#include "variables/variableConvert.h"

using varconv::truncToInt;

void Cchan::resize(int n) {
    if (n < 0) n = 0;
    if (n > kMaxChanCells) {
        // A cell count from bad species data must not take the process down.
        VTRACE(1, "chan of " << n << " cells refused");
        setExitError("chan size error", 1);
        n = 0;
    }
    if (n != count) {
        delete[] values;
        values = n ? new float[static_cast<size_t>(n)] : nullptr;
        count = n;
    }
    // Cells a species leaves unfilled must not feed garbage to the fins.
    for (int i = 0; i < count; i++)
        values[i] = 0.0f;
}

bool Cchan::covers(Cchan const& other, char const* operation) const {
    if (other.count >= count) return true;
    VTRACE(1, "chan " << operation << ": operand of " << other.count << " cells for " << count);
    setExitError("cioorA", 1);
    return false;
}

// Records the size error of the element-wise products.
static void chanSizeError(char const* operation) {
    VTRACE(1, "chan size error in " << operation);
    setExitError("chan size error", 1);
}

void Cchan::fillUsingValuesFromStringArray(std::vector<Cstring> const& texts, int start) {
    if (start < 0) return;
    int available = static_cast<int>(texts.size()) - start;
    int n = available < count ? available : count;
    for (int i = 0; i < n; i++)
        values[i] = static_cast<float>(std::atof(texts[static_cast<size_t>(start + i)].c_str()));
}

float Cchan::getValueAt(float x) const {
    if (count == 0) return 0.0f;
    if (!(x >= 0.0f)) return values[0];
    if (x >= static_cast<float>(count - 1)) return values[count - 1];
    int i = static_cast<int>(x);
    float f = x - static_cast<float>(i);
    return values[i] + (values[i + 1] - values[i]) * f;
}

void Cchan::doLookup(Cchan const& positions, Cchan const& table) {
    if (!covers(positions, "doLookup")) return;
    for (int i = 0; i < count; i++)
        values[i] = table.getValueAt(positions.values[i]);
}

void Cchan::set(float v) {
    for (int i = 0; i < count; i++)
        values[i] = v;
}

void Cchan::add(float v) {
    for (int i = 0; i < count; i++)
        values[i] += v;
}

void Cchan::add(Cchan const& other) {
    if (!covers(other, "add")) return;
    for (int i = 0; i < count; i++)
        values[i] += other.values[i];
}

void Cchan::addMultedChan(Cchan const& other, float k) {
    if (!covers(other, "addMultedChan")) return;
    for (int i = 0; i < count; i++)
        values[i] += other.values[i] * k;
}

void Cchan::mult(float k) {
    for (int i = 0; i < count; i++)
        values[i] *= k;
}

void Cchan::mult(Cchan const& other) {
    if (other.count != count) return chanSizeError("mult");
    for (int i = 0; i < count; i++)
        values[i] *= other.values[i];
}

void Cchan::multOf(Cchan const& a, Cchan const& b) {
    if (a.count < count || b.count < count) return chanSizeError("multOf");
    for (int i = 0; i < count; i++)
        values[i] = a.values[i] * b.values[i];
}

void Cchan::lerpAdd(float a, float b) {
    for (int i = 0; i < count; i++)
        values[i] += ramp(i, a, b);
}

void Cchan::lerpReplaceFast(int from, int to, float a, float b) {
    int last = to < count - 1 ? to : count - 1;
    int first = from > 0 ? from : 0; // cells before the strip do not exist
    float span = static_cast<float>(to) - static_cast<float>(from);
    for (int i = first; i <= last; i++) {
        float along = static_cast<float>(i) - static_cast<float>(from);
        values[i] = span != 0.0f ? a + along * (b - a) / span : a;
    }
}

void Cchan::blendUsing2Floats(Cchan const& A, Cchan const& B, float a, float b) {
    if (!covers(A, "blendUsing2Floats") || !covers(B, "blendUsing2Floats")) return;
    for (int i = 0; i < count; i++)
        values[i] = A.values[i] + (B.values[i] - A.values[i]) * ramp(i, a, b);
}

void Cchan::scurveAdd(float a, float b) {
    for (int i = 0; i < count; i++)
        values[i] += sCurve(ramp(i, a, b));
}

void Cchan::scurveAdd(float p, float q, float low, float high) {
    if (q == p) return; // no cell centre lies strictly inside an empty span
    int first = truncToInt(static_cast<double>(p) + 0.5);
    int last = truncToInt(static_cast<double>(q) - 0.5);
    if (first < 0) first = 0;
    if (last > count - 1) last = count - 1;
    for (int i = first; i <= last; i++)
        values[i] = low + (high - low) * sCurve((static_cast<float>(i) + 0.5f - p) / (q - p));
}

void Cchan::bumpComp(float centre, float halfWidth, float height) {
    if (halfWidth == 0.0f) return; // a bump of no width touches nothing
    int first = truncToInt(static_cast<double>(centre) + 1.0 - halfWidth);
    int last = truncToInt(static_cast<double>(centre) + halfWidth);
    if (first < 0) first = 0;
    if (last > count - 1) last = count - 1;
    for (int i = first; i <= last; i++) {
        float w = 1.0f - std::fabs(centre - static_cast<float>(i)) / halfWidth;
        float s = height * sCurve(w);
        values[i] = (1.0f - s) * values[i] + s;
    }
}

void Cchan::bumpCompWideWithAlpha(float a, float b, float w, float value, float alpha) {
    int first = truncToInt(static_cast<double>(a) - w + 0.5);
    int last = truncToInt(static_cast<double>(b) + w - 0.5);
    if (first < 0) first = 0;
    if (last > count - 1) last = count - 1;
    for (int i = first; i <= last; i++) {
        float c = static_cast<float>(i) + 0.5f;
        float k = 1.0f;
        // Without shoulders a cell outside the plateau is left alone (k = 0).
        if (c < a)
            k = w != 0.0f ? sCurve((c - (a - w)) / w) : 0.0f;
        else if (c > b)
            k = w != 0.0f ? sCurve((b - c) / w + 1.0f) : 0.0f;
        float ak = alpha * k;
        values[i] = (value * k) * ak + (1.0f - ak) * values[i];
    }
}

void Cchan::angleToSine(float amplitude, float start, float end) {
    for (int i = 0; i < count; i++)
        values[i] = amplitude * std::sin(ramp(i, start, end));
}

void Cchan::angleToSine(float amplitude, Cchan const& weights, float start, float end) {
    if (!covers(weights, "angleToSine")) return;
    for (int i = 0; i < count; i++)
        values[i] = amplitude * std::sin(ramp(i, start, end)) * weights.values[i];
}

void Cchan::angleToSineAndCos(Cchan& sines, Cchan& cosines) const {
    if (!covers(sines, "angleToSineAndCos") || !covers(cosines, "angleToSineAndCos")) return;
    for (int i = 0; i < count; i++) {
        sines.values[i] = std::sin(values[i]);
        cosines.values[i] = std::cos(values[i]);
    }
}

void Cchan::fillUsingAnimValue(CanimValueNew& value, float dt) {
    for (int i = 0; i < count; i++) {
        values[i] = value.getValue();
        value.update(dt);
    }
}

void Cchan::showChan(char const* label) const {
    VTRACE(1, "chan " << (label ? label : "") << " (" << count << ")");
    for (int i = 0; i < count; i++)
        VTRACE(1, "  " << i << " " << values[i]);
}
