// libFuzzer target over camera arrays of a tank's camera list and the containment of the
// camera they describe (built with -DVELMORA_FUZZ=ON and clang). Each element takes five
// bytes: a kind byte (odd: a short string, even: a float) and four value bytes. The first
// four bytes set the view aspect.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "support/cerr.h"
#include "variables/variableBasics.h"
#include "world/tank.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    if (size < 4) return 0;
    float aspect;
    std::memcpy(&aspect, data, 4);
    CdirectoryVar root;
    auto* tank = new Ctank(nullptr);
    root.addVariable(tank, 1);
    tank->imageAspect = aspect;
    auto* array = new CarrayVar;
    root.addVariable(array, 1);
    for (size_t i = 4; i + 5 <= size && i < 4 + 5 * 16; i += 5) {
        if (data[i] & 1) {
            char text[5] = {};
            std::memcpy(text, data + i + 1, 4);
            array->addString(text);
        } else {
            float v;
            std::memcpy(&v, data + i + 1, 4);
            array->addFloat(v);
        }
    }
    Ccamera cam;
    Cvector start = cam.camPos;
    int filled = cam.fillFromCameraArray(array, 1.0f);
    if (!filled && std::memcmp(&start, &cam.camPos, sizeof start) != 0) __builtin_trap();
    if (filled) {
        tank->containCameraInFrustum3D(cam);
        tank->recalcTankAspect();
    }
    resetExitState();
    return 0;
}
