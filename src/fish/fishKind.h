// Makes fish, their shadows and crabs known to the species factory.
#pragma once

// Registers the makers of the factory keywords "fish", "fish_shadow" and "crab" and lets
// tanks make schools. Start-up calls it once; calling again changes nothing.
void installFishKind();
