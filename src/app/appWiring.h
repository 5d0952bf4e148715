// The wiring of the program with its views: the engine's (program/programWiring.h), then the
// slots only the views fill (an installed update, the options sheet) and the desktop's
// platform services.
#pragma once

// Wires everything the program with views reads. Calling it again changes nothing. The
// start-up check (checkWiring) then also asks for the views' slots.
void wireApp();
