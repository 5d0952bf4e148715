// Start-up wiring of the calls lower layers make up into higher ones.
#pragma once

// Fills every slot of engineHooks whose owner is built; called once at start-up, before
// any script runs. Calling it again changes nothing.
void wireEngineHooks();
