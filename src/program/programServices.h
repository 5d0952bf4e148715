// The shop keeper's services in the program: the tanks' (world/tankShopServices.h) and the
// parts that sit above the world.
#pragma once

#include "world/tankShopServices.h"

class CprogramServices : public CtankShopServices {
  public:
    CshopPanel* makeControlPanel(CshopKeeper& shop) override;
    int checkInOnAnyInternetRequest() override;
};
