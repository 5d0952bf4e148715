// The shop keeper's sound: the bubble and trickle manager behind CshopAudio, playing
// through the platform's sound voices.
#pragma once

#include "world/shopServices.h"

// A new sound manager for the shop keeper; its start opens the sound device (without one
// it runs silently) and its deletion closes it.
CshopAudio* makeShopAudio();
