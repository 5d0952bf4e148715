// Makes fish known to the species factory.
#pragma once

// Registers the maker of the factory keyword "fish" and lets tanks make schools. Start-up
// calls it once; calling again changes nothing.
void installFishKind();
