// Transitions between sequences: the picture fades to black (sliding sideways), the new
// sequence is shown at full darkness and the picture fades back in.
//
// fadePosition runs 0 (clear) to 1 (dark); fadeSpeed is the signed fade time in seconds,
// positive while fading out, negative while fading in, 0 when idle.
#include <algorithm>

#include "graphics/graphicsGL.h"
#include "graphics/graphicsMaster.h"
#include "support/cerr.h"
#include "world/shopKeeper.h"

void CshopDisplayServices::nextSequence(CshopKeeper& shop, int n, bool relative, float seconds, float slide) {
    shop.nextSequence(static_cast<short>(n), relative, seconds, slide);
}
void CshopDisplayServices::transitionHandler(CshopKeeper& shop) {
    shop.transitionHandler();
}

void CshopKeeper::nextSequence(short n, bool relative, float fadeSeconds, float slide) {
    if (relative && (allowSeqChng == 0 || numSequences == 1)) return;
    short target = n;
    slideAmplitude = slide;
    if (relative) {
        // Resolved before the fade is set, so that a step back to the shown sequence is
        // recognised as a reversal.
        slideAmplitude = slide * float(-n);
        target = static_cast<short>(displayedSequence + n);
        if (target < 0)
            target = static_cast<short>(numSequences - 1);
        else if (target >= numSequences)
            target = 0;
    }
    nextSequenceIndex = target;
    transitionRequested = 1;
    setFadeDuration(fadeSeconds);
    if (displayedSequence >= 0) {
        returnToSeq = displayedSequence;
        returnTankType = focusTankObject ? services().tankTypeName(focusTankObject) : Cstring();
    }
    VTRACE(1, "nextSequence " << n << " relative=" << relative << " target=" << nextSequenceIndex
                              << " fade=" << fadeSeconds << " slide=" << slideAmplitude);
}

void CshopKeeper::setFadeDuration(float seconds) {
    if (!canDoFade || seqTransType == 0) seconds = 0.0f;
    seconds = std::max(seconds, 0.0001f);
    bool reversed = false;
    if (nextSequenceIndex != -1 && fadeSpeed > 0.0f) {
        if (nextSequenceIndex == displayedSequence) {
            // Called off: fade back in. The target is dropped too, or the rotation, which
            // waits for no pending target, would never fire again.
            fadeSpeed = -seconds;
            transitionRequested = 0;
            nextSequenceIndex = -1;
            reversed = true;
        } else {
            fadeSpeed = seconds;
        }
    } else if (fadeSpeed < 0.0f) {
        fadeSpeed = seconds; // a fade-in turns into a fade-out
    }
    if (fadePosition == 0.0f) fadeSpeed = reversed ? 0.0f : seconds; // nothing to fade back
    VTRACE(4, "_fadeSpeed " << fadeSpeed);
}

void CshopKeeper::transitionHandler() {
    if (fadeSpeed == 0.0f) {
        masterMult = 1.0f;
        return;
    }
    float p = fadePosition;
    // At most 0.05 s a frame: a slow frame never skips most of a fade.
    fadePosition = p + std::min(globalSecondsSinceLastFrame, 0.05f) / fadeSpeed;
    if (p < 1.0f) {
        if (fadePosition < 0.0f) fadePosition = fadeSpeed = 0.0f;
    } else if (nextSequenceIndex != -1) {
        if (fadeSpeed > 0.0011f) {
            fadeSpeed = -fadeSpeed;
            slideAmplitude = -slideAmplitude;
        } else if (fadeSpeed > 0.0f) {
            fadePosition = fadeSpeed = 0.0f; // an instant change
        }
        // A fade already turned back in at full darkness shows the target and goes on
        // fading in.
        short target = nextSequenceIndex;
        nextSequenceIndex = -1;
        displaySequence(target);
    } else if (fadeSpeed > 0.0f) {
        fadeSpeed = -fadeSpeed; // dark with nothing to show: fade back in
    }
    masterMult = 1.0f - std::clamp(fadePosition, 0.0f, 1.0f);
}

void CshopKeeper::giveGraceSecondsUntilSequenceRotate() {
    if (secondsUntilSequenceRotate <= 9) secondsUntilSequenceRotate = 10;
}
