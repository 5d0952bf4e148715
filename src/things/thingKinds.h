// The thing kinds this layer builds, made known to the tank and the species factory.
#pragma once

// Registers the factory's makers for the kinds built here ("waving_plant", "bubbles",
// "basic_deform", "backdrop", "target", "food_floating", "food_peck", "food_container",
// "fish_poo", "crab_shadow"), hands the factory the species setter and gives tanks their
// access to things. Start-up calls it once; calling again changes nothing.
void installThingKinds();

// Gives tanks' frame steps and picking their access to the things of this layer.
void installThingLiveAccess();
