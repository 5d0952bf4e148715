#include "program/programServices.h"

#include "world/internet.h"

// The in-scene panel comes with its layer; until it is built the program answers as it does
// without one: no panel. The web poll is the world's (world/internet.h).
CshopPanel* CprogramServices::makeControlPanel(CshopKeeper&) {
    return nullptr;
}

int CprogramServices::checkInOnAnyInternetRequest() {
    return ::checkInOnAnyInternetRequest();
}
