#include "program/programServices.h"

// The in-scene panel and the web come with their layers; until a layer is built its part
// answers as the program without it does: no panel, no request in flight.
CshopPanel* CprogramServices::makeControlPanel(CshopKeeper&) {
    return nullptr;
}

int CprogramServices::checkInOnAnyInternetRequest() {
    return 0;
}
