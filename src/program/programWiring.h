// The program's wiring: the one place where every layer is told about the layers above it.
//
// Lower layers reach up through slots (the hook tables, the thing factory's makers, the shop
// keeper's services). wireProgram() fills them all; the view and the tests call it, and the
// start-up check refuses to run with a slot of a built part left empty.
#pragma once

#include <string>
#include <vector>

class CshopServices;

// Fills every slot of every layer built into the program. Calling it again changes nothing.
void wireProgram();

// The shop keeper's services of the program (a shop keeper made without its own uses them).
CshopServices& programServices();

// The program built above the engine has parts of its own (its views): their slots are asked
// for from now on.
void addBuiltPart(char const* part);

// Whether the part of the program named owner ("world", "fish", "interface", ...) is built
// into this program, so that its slots must be filled.
bool partIsBuilt(char const* owner);

struct ChookTable;
// Every hook table the engine reads.
std::vector<ChookTable> programHookTables();

// Every slot of a built part that is empty, as "table.slot" (kinds as "thingKinds.keyword").
std::vector<std::string> unwiredSlots();

// The start-up check: 0 when nothing is unwired; otherwise records "unwired: <slots>" as the
// exit reason (the view shows it and the program stops) and returns 1.
int checkWiring();
