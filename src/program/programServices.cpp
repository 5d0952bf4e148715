#include "program/programServices.h"

#include "world/internet.h"

// The in-scene panel, the sound and the pointer's events come with their layers; until a
// layer is built its part answers as the program without it does: no panel, no sound, no
// pointer events. The web poll is the world's (world/internet.h).
CshopPanel* CprogramServices::makeControlPanel(CshopKeeper&) {
    return nullptr;
}

CshopAudio* CprogramServices::makeAudioManager(CshopKeeper&) {
    return nullptr;
}

void CprogramServices::processMouseAndTouchEvents(CshopKeeper&) {}

int CprogramServices::checkInOnAnyInternetRequest() {
    return ::checkInOnAnyInternetRequest();
}
