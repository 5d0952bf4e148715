// The draw lists of one tank as the render pass reads them. The tank fills them once per
// master frame; every display that shows the tank draws from them.
#pragma once

#include <cstdint>
#include <vector>

#include "support/list.h"

class CgraphicsAPI;
class CrenderPolyGroup;

struct CtankRenderLists {
    CtankRenderLists() {
        opaqueList.name = "opaque geos";
        transparentList.name = "transp geos";
        afterOpaqueList.name = "aftop geos";
        transparentKeys.name = "transp keys";
        transparentOrder.name = "transp order";
    }
    // Groups drawn in list order; after sorting also the groups drawn after the opaque ones.
    Clist<CrenderPolyGroup*> opaqueList;
    // Transparent groups in gathering order; transparentOrder walks them back to front.
    Clist<CrenderPolyGroup*> transparentList;
    Clist<CrenderPolyGroup*> afterOpaqueList;
    Clist<float> transparentKeys;
    Clist<int> transparentOrder;
    // The lists were built since the tank's last update.
    uint8_t displayGeoFetched = 0;
    // The master frame of the tank's last update (-1 never).
    int32_t lastUpdateFrame = -1;
    // The displays showing the tank, ordered by the left edge of their windows.
    std::vector<CgraphicsAPI*> tankDisplays;
    int16_t numTankDisplays = 0;
};
