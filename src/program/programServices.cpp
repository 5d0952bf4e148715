#include "program/programServices.h"

#include "interface/interfaceKinds.h"
#include "world/internet.h"

// The control panel is the interface layer's; the web poll is the world's.
CshopPanel* CprogramServices::makeControlPanel(CshopKeeper& shop) {
    return makeShopControlPanel(shop);
}

int CprogramServices::checkInOnAnyInternetRequest() {
    return ::checkInOnAnyInternetRequest();
}
