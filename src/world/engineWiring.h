// The world's part of the start-up wiring: the slots of the engine's and the device's hook
// tables that the shop keeper, the tanks and the script runner fill.
#pragma once

// Fills the world's slots of engineHooks and graphicsHooks (the script runner's and the
// model loader's among them). Called by the program's wiring; calling it again changes
// nothing.
void installWorldHooks();
