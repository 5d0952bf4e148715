// The shop's sound commands: ":soundmix start|end|nextTrickle|lowBubbles|hiBubbles|redo",
// which the sound pane uses to try the tracks on their own players, and the volume shift
// that keeps what is heard while the track volumes use their whole range.
#include <algorithm>

#include "graphics/graphicsMaster.h"
#include "script/scriptLine.h"
#include "support/cerr.h"
#include "world/shopKeeper.h"

void CshopKeeper::maximizeVolumes(float peak) {
    float m = std::max({trickleVolume, lowBubbleVolume, hiBubbleVolume}) / peak;
    if (!(m > 0.0001f)) return;
    if (masterVolume * m <= 1.0f) {
        masterVolume *= m;
        trickleVolume /= m;
        lowBubbleVolume /= m;
        hiBubbleVolume /= m;
    } else {
        float old = masterVolume;
        masterVolume = 1.0f;
        trickleVolume *= old;
        lowBubbleVolume *= old;
        hiBubbleVolume *= old;
    }
}

void CshopKeeper::defineSoundVolumes() {
    if (audioManager)
        audioManager->defineIndividualVolumes(trickleVolume, hiBubbleVolume, lowBubbleVolume, masterVolume);
}

unsigned CshopKeeper::soundMixCommand(CscriptLine& line) {
    Cstring what = line.getString(0, false);
    bool framesRan = masterFrame >= 1;
    bool redo = false;
    if (what == "start") {
        maximizeVolumes(0.5f);
        defineSoundVolumes();
        if (audioManager) audioManager->multiTrackMode();
        redo = true;
    } else if (what == "end") {
        if (soundMixActive) {
            maximizeVolumes(1.0f);
            defineSoundVolumes();
            if (audioManager) {
                audioManager->generateSingleTrack();
                audioManager->fadeVolume(1.0f);
            }
            soundMixActive = 0;
        }
    } else if (what == "nextTrickle" || what == "lowBubbles" || what == "hiBubbles") {
        // Before the first frame the tracks are being set up by the start-up itself.
        if (!framesRan) return CMD_DONE;
        if (audioManager) {
            if (what == "nextTrickle") {
                audioManager->setTrickleSound(1);
                audioManager->refreshPlayerSample(2);
            } else if (what == "lowBubbles") {
                lowBubblesVersion = audioManager->setLowBubbles(lowBubblesVersion);
                audioManager->refreshPlayerSample(0);
            } else {
                hiBubblesVersion = audioManager->setHiBubbles(hiBubblesVersion);
                audioManager->refreshPlayerSample(1);
            }
        }
        redo = true;
    } else if (what == "redo") {
        redo = true;
    }
    if (redo) {
        if (framesRan) {
            defineSoundVolumes();
            if (audioManager) audioManager->setAllTrackVolumes();
        }
        soundMixActive = 1;
    }
    return CMD_DONE;
}
