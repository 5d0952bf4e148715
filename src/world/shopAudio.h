// The shop keeper's sound: the bubble and trickle manager behind CshopAudio, playing
// through the platform's sound voices.
#pragma once

#include "world/shopServices.h"

// Set by the host's "--mute" (and for headless runs): the engine then plays no sound.
extern bool soundMuted;

// A new sound manager for the shop keeper; its start opens the sound device (without one
// it runs silently) and its deletion closes it.
CshopAudio* makeShopAudio();

// The shop keeper's sound unless muted, switched off in the settings registry ("soundOff")
// or shown in a preview window; null (and one line in the master log saying why) otherwise.
CshopAudio* makeShopAudioUnlessSilent();
