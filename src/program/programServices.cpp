#include "program/programServices.h"

// The in-scene panel, the pointer's events and the web come with their layers; until a layer
// is built its part answers as the program without it does: no panel, no pointer events, no
// request in flight.
CshopPanel* CprogramServices::makeControlPanel(CshopKeeper&) {
    return nullptr;
}

void CprogramServices::processMouseAndTouchEvents(CshopKeeper&) {}

int CprogramServices::checkInOnAnyInternetRequest() {
    return 0;
}
