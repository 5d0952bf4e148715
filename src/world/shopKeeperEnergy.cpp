// Energy saving: in hours of the week that the activity map marks as usually unwatched
// the refresh rate halves and every tank steps twice as far per frame; the first mouse
// movement restores the full rate and marks the hour as watched.
#include <algorithm>

#include "graphics/graphicsMaster.h"
#include "host/osFunctions.h"
#include "support/cerr.h"
#include "variables/configDialogVars.h"
#include "world/activityMap.h"
#include "world/shopKeeper.h"

float tankStepPerFrame(float refreshRateFactor, float worldSpeed, float refreshRate) {
    if (!(refreshRate > 0.0f)) return 1.0f;
    return std::min(1.0f, refreshRateFactor * 22.0f * worldSpeed / refreshRate);
}

void CshopKeeper::doFullRefreshRate() {
    refreshRateFactor = 1.0f;
    calcAllTankFPS();
    VTRACE(2, "Doing full refresh rate");
}

void CshopKeeper::doHalfRefreshRate() {
    refreshRateFactor = 2.0f;
    calcAllTankFPS();
    VTRACE(2, "Doing half refresh rate");
}

void CshopKeeper::calcAllTankFPS() {
    for (int i = 0; i < numDisplays && i < kMaxDisplays; i++) {
        CgraphicsAPI* device = display[i];
        if (device == nullptr || device->tank == nullptr) continue;
        float speed = services().tankWorldSpeed(device->tank);
        services().setTankStep(device->tank, tankStepPerFrame(refreshRateFactor, speed, device->refreshRate));
    }
}

void CshopKeeper::startEnergyConserveMode(int mode) {
    if (mode != 1 || energySavingBlocked) return;
    doHalfRefreshRate();
    energyConserveOn = 1;
}

void CshopKeeper::endEnergyConserveMode(int block) {
    if (!energyConserveOn) return;
    energyConserveOn = 0;
    refreshesSinceDisplay = 0;
    doFullRefreshRate();
    int hour = hourOfWeekNow();
    // Someone watched in this hour: it stays at the full rate next week.
    if (activeTimes.size() == kHoursPerWeek && activeTimes.c_str()[hour] >= '4') {
        char* digits = activeTimes;
        digits[hour] = '3';
    }
    energySavingBlocked = static_cast<uint8_t>(block);
}
