// The program with its views wires everything it reads: the engine's slots and the views' own.
#include "app/appWiring.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "program/programWiring.h"
#include "support/engineHooks.h"

namespace {

TEST(AppWiring, TheViewsSlotsAreAskedForAndFilled) {
    wireApp(); // as main() does; the test program started with it too
    EXPECT_TRUE(partIsBuilt("app"));
    EXPECT_TRUE(partIsBuilt("options"));
    EXPECT_EQ(unwiredSlots(), std::vector<std::string>{});
    auto saved = engineHooks.updateInstalled;
    engineHooks.updateInstalled = nullptr;
    EXPECT_EQ(unwiredSlots(), std::vector<std::string>{"engineHooks.updateInstalled"});
    engineHooks.updateInstalled = saved;
}

} // namespace
