// Fin and tail controllers.
#include "script/chanController.h"

#include <cmath>
#include <cstring>

#include "support/cerr.h"

void CchanController::initialize(int) {}

// Cells per chan for a controller of n cells: the pairs need twice as many, so the count
// is refused (no cells) where that would pass the chan limit.
static int cellsFor(int n) {
    if (n < 0) return 0;
    if (n > kMaxChanCells / 2) {
        VTRACE(1, "controller of " << n << " cells refused");
        setExitError("chan size error", 1);
        return 0;
    }
    return n;
}

Cchan* CchanController::getSubController(char const*) {
    return nullptr;
}

int CcosSinController::sizeAnglesAndPairs(int n) {
    n = cellsFor(n);
    angles.resize(n);
    cosSin.resize(2 * n);
    return n;
}

bool CcosSinController::pairsFit() {
    if (cosSin.count > 0 && cosSin.count >= 2 * angles.count) return true;
    VTRACE(1,
           "cos/sin pairs of " << name << ": " << cosSin.count << " cells for " << angles.count << " angles");
    setExitError("cioorA", 1);
    return false;
}

void CcosSinController::copyToCosSine() {
    if (!pairsFit()) return;
    float const* a = angles.values;
    float* cs = cosSin.values;
    for (int i = 0; i < angles.count; i++) {
        cs[2 * i] = std::cos(a[i]);
        cs[2 * i + 1] = std::sin(a[i]);
    }
}

void CcosSinController::cheapCopyToCosSine() {
    if (!pairsFit()) return;
    float const* a = angles.values;
    float* cs = cosSin.values;
    for (int i = 0; i < angles.count; i++) {
        cs[2 * i] = 1.0f - a[i] * a[i];
        cs[2 * i + 1] = a[i];
    }
}

void CfinLiftController::initialize(int n) {
    n = sizeAnglesAndPairs(n);
    shapeA.resize(n);
    shapeB.resize(n);
}

void CfinLiftController::fill(float a, float b) {
    angles.blendUsing2Floats(shapeA, shapeB, a, b);
}

void CfinWagController::initialize(int n) {
    n = sizeAnglesAndPairs(n);
    weights.resize(n);
}

void CfinWagController::fill(float ramp, float amplitude, float start, float end) {
    angles.angleToSine(amplitude, weights, start, end);
    angles.lerpAdd(0.0f, ramp);
}

void CcaudalWagController::initialize(int n) {
    n = sizeAnglesAndPairs(n);
    bendCurve.resize(n);
    restCurve.resize(n);
    float const pi = 3.14159265358979f;
    for (int i = 0; i < bendCurve.count; i++) {
        float x = n > 1 ? pi * static_cast<float>(i) / static_cast<float>(n - 1) : 0.0f;
        bendCurve.values[i] = std::sin(x) - 1.0f;
    }
}

CchanController* newChanControllerOfKind(char const* kind) {
    if (kind == nullptr) return nullptr;
    if (std::strcmp(kind, "finLift") == 0) return new CfinLiftController;
    if (std::strcmp(kind, "finWag") == 0) return new CfinWagController;
    if (std::strcmp(kind, "caudalWag") == 0) return new CcaudalWagController;
    return nullptr;
}
