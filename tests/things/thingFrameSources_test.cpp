// A thing's work-object owner: the per-frame hooks reach the thing.
#include "data/dataArrayManager.h"
#include "thingTestSupport.h"

namespace {

using ThingFrameSources = ThingTest;

TEST_F(ThingFrameSources, HooksReachTheThing) {
    auto* t = new ScriptedThing;
    t->middle.set(3, -1, 2);
    Cvector mid;
    t->workOwner.getMidPos(mid);
    EXPECT_EQ(mid.x * 100 + mid.y * 10 + mid.z, 292.0f);

    auto* texture = new CdataArrayReference;
    texture->setName("stripes");
    t->customTextures->addVariable(texture);
    struct {
        char const* name;
        bool found;
    } const cases[] = {{"stripes", true}, {"scripts/stripes", true}, {"stripe", false}, {"", false}};
    for (auto const& c : cases)
        EXPECT_EQ(t->workOwner.customTexture(c.name) == texture, c.found) << c.name;
    EXPECT_EQ(t->workOwner.customTexture(nullptr), nullptr);
    deleteVariable(t);
}

} // namespace
