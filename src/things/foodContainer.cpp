#include "things/foodContainer.h"

#include "graphics/graphicsMaster.h"
#include "support/cerr.h"
#include "world/shopKeeper.h"
#include "world/velmoraFunctions.h"
#include "world/tank.h"
#include "world/tankCamera.h"

namespace {
// The shaker's width on screen, in pixels.
constexpr float kShakerPixels = 200.0f;
// Particles in one load.
constexpr int kParticlesPerTip = 3;
} // namespace

CfoodContainerThing::CfoodContainerThing() {
    attributes |= THING_INTERFACE;
    tilt.setName("tilt");
}

bool CfoodContainerThing::buttonState(bool down) {
    if (down) tipIt();
    pressed = down ? 1 : 0;
    return pressed != 0;
}

void CfoodContainerThing::tipIt() {
    tipCounter = tipCounter < 6 ? 1 : 0;
    tilt.setMove(1.0f, 2.0f, CURVE_LINEAR, 1);
    tilt.setNextMove(0.0f, 15.0f, CURVE_SMOOTHSTEP);
}

void CfoodContainerThing::pointerPosition(CgraphicsAPI& display, float& x, float& y) {
    x = tankInput.pointer.current.x;
    y = tankInput.pointer.current.y;
    if (shopKeeper && shopKeeper->feedMode == FEED_FIXED_HEIGHT) {
        // Near the top of the water as the display shows it, whatever the pointer's height.
        float view = display.height - static_cast<float>(display.letterboxTop + display.letterboxBottom);
        y = static_cast<float>(display.letterboxBottom) + 0.9f * view;
    }
}

void CfoodContainerThing::goFish(int) {
    Ctank* focus = shopKeeper ? shopKeeper->focusTankObject : nullptr;
    CgraphicsAPI* display = shopKeeper ? shopKeeper->guiDisplay : nullptr;
    if (focus == nullptr || display == nullptr || jointCount < 2) {
        // Without a tank on an interface display there is nowhere to follow or pour.
        if (focus && display == nullptr) VTRACE(2, "food shaker: no interface display");
        framesUpdated++;
        return;
    }
    float px = 0.0f, py = 0.0f;
    pointerPosition(*display, px, py);
    float x0 = px, y0 = py, x1 = px + kShakerPixels, y1 = py;
    display->convertScreenCoordsToGUIviewport(x0, y0);
    display->convertScreenCoordsToGUIviewport(x1, y1);
    float size = x1 - x0;
    jointPositions[0] = Cvector(x0, y0, 0.0f);
    Cmatrix3& m = jointMatrices[0];
    m.side.set(size, 0.0f, 0.0f);
    m.up.set(0.0f, size, 0.0f);
    m.forward.set(0.0f, 0.0f, size);
    jointMatrices[1].identity();
    jointMatrices[1].rotateAroundForward(tilt.getValueAndUpdate());
    uint32_t old = tipCounter++;
    if (old == 3) {
        Cvector drop = focus->screenPixelToTankSpace(display, px, py, focus->foodPlaneDepth);
        focus->addFood(drop, kParticlesPerTip);
    } else if (tipCounter == 6 && pressed) {
        tipIt();
    }
    framesUpdated++;
}
