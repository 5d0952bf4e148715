// The view's input: keys in the engine's codes, button presses and releases and the wheel,
// handed to the shop keeper. The view never ends the saver itself; the engine decides.
#include "app/velmoraView.h"
#include "host/glContext.h"
#include "support/cerr.h"
#include "world/keyMap.h"
#include "world/shopKeeper.h"
#include "world/velmoraFunctions.h"

namespace {
template <typename... T> void logLine(T const&... parts) {
    if (!masterOut.is_open()) return;
    (masterOut << ... << parts);
    masterOut << std::endl;
}

// Keys and presses wait for the interface: until the first tank is in focus (a start that
// waits for the network shows a black window meanwhile) they would run the bindings on the
// shop keeper, where the tank's commands are unknown. They are dropped.
bool interfaceReady() {
    return shopKeeper && shopKeeper->focusTankObject;
}
} // namespace

bool doKey(int code) {
    if (shopKeeper == nullptr) return exitSaver == 0;
    logLine("  KEY PRESSED  char=", code);
    VTRACE(1, "  KEY PRESSED  char=" << code);
    shopKeeper->keyPressed(code);
    logLine("back from shop, exitSaver=", exitSaver);
    return exitSaver == 0;
}

void CvelmoraView::keyDown(int code) {
    logLine("keyDown self=", 1);
    if (doingOpenFile || !readsInput || !interfaceReady()) return;
    glContext->makeCurrent();
    doKey(code);
}

void CvelmoraView::keyUp(int code) {
    logLine("keyUp self=");
    if (doingOpenFile || !readsInput || !interfaceReady()) return;
    if (code != KEY_TAB_UP && code != KEY_SHIFT_UP) return;
    glContext->makeCurrent();
    doKey(code);
}

void CvelmoraView::mouseDown(double x, double y) {
    CgraphicsAPI* mine = findThisAPI();
    logLine("____MOUSEDOWN api=", mine ? 1 : 0);
    if (!readsInput || !interfaceReady()) return;
    glContext->makeCurrent();
    // The press is where the pointer is now, also when it moved since the last frame.
    pointerMoved(x, y);
    logLine("MOUSE POS ", x, " ", y);
    logLine("before xs=", exitSaver, " ee=", erroredExit, " dof=", doingOpenFile);
    shopKeeper->mouseButtonDown(static_cast<int>(x), static_cast<int>(y));
    logLine("end mousedown   xs=", exitSaver, " ee=", erroredExit, " dof=", doingOpenFile);
}

void CvelmoraView::mouseUp(double x, double y) {
    logLine("mouseUP");
    if (!readsInput || !interfaceReady()) return;
    glContext->makeCurrent();
    pointerMoved(x, y);
    shopKeeper->mouseButtonUp(static_cast<int>(x), static_cast<int>(y));
}

void CvelmoraView::pointerMoved(double x, double y) {
    if (!shopKeeper || !readsInput) return;
    mouseX = x, mouseY = y, pointerKnown = true;
    if (CgraphicsAPI* mine = findThisAPI()) pointerToEngine(mine);
}

void CvelmoraView::scrollWheel(double deltaY) {
    if (!shopKeeper || !readsInput) return;
    shopKeeper->mouseWheel(static_cast<int>(deltaY)); // toward zero: 0.7 is no notch
}
