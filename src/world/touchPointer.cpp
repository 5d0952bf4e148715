#include "world/touchPointer.h"

#include "support/cerr.h"
#include "world/shopKeeper.h"
#include "world/velmoraFunctions.h"

void CtouchPointer::setMouseButtonState(int s) {
    if (s == 1) {
        if (!buttonIsDown()) state |= POINTER_CHANGED;
        state |= POINTER_DOWN;
    } else if (s == 0) {
        if (buttonIsDown()) state |= POINTER_CHANGED;
        state &= static_cast<uint8_t>(~POINTER_DOWN);
    }
    updated = 1;
}

void CtouchPointer::buttonClearRecents() {
    state &= static_cast<uint8_t>(~POINTER_CHANGED);
    updated = 0;
}

void CtouchPointer::mouseMoved(int x, int y, CgraphicsAPI* on) {
    if (on == nullptr) return;
    if (startRunOrQuit == 1 && shopKeeper && on != shopKeeper->guiDisplay && flag == 0) {
        shopKeeper->setGUItoAPI(on);
        clearPrevious();
    }
    // Positions on two displays do not make one motion.
    if (on != display) clearPrevious();
    display = on;
    previous = hasPrevious() ? current : Cvector2(float(x), float(y));
    current = Cvector2(float(x), float(y));
    updated = 1;
}
