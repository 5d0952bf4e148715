// Schools: how tanks make them, the order and delays of their cues, members coming and
// going, and the line a saved tank keeps.
#include <sstream>

#include "fish/fishSchool.h"
#include "fish/fishTestSupport.h"
#include "script/fastNoise.h"
#include "script/scripter.h"
#include "support/vectorExpect.h"
#include "variables/thingMessage.h"
#include "world/tank.h"
#include "world/tankSchools.h"

namespace {

class SchoolTest : public FishTest {
  protected:
    void SetUp() override {
        FishTest::SetUp();
        savedNoise = noiseWrap50x3chan;
        noiseWrap50x3chan = nullptr; // the school point stays in the middle of the volume
        writeNoiseFile(0.0f);        // each school's wander stays at its middle value
        installFishSchools();
    }
    void TearDown() override {
        FishTest::TearDown();
        noiseWrap50x3chan = savedNoise;
        tankSchoolAccess = nullptr;
    }
    CspeciesSchooling* school(Ctank& t, char const* name) {
        return dynamic_cast<CspeciesSchooling*>(t.addSchool(name));
    }
    CdataArray* savedNoise = nullptr;
};

TEST_F(SchoolTest, TanksMakeSchoolsNewestFirstAlongTheNoise) {
    auto* t = new Ctank(nullptr);
    root.addVariable(t, 1);
    struct {
        char const* name;
        float setNoise; // given to the new school afterwards; -1 keeps it
        float noise;    // what the new school starts with
    } const steps[] = {{"reef", 45.0f, 0.0f}, {"kelp", -1.0f, 6.0f}, {"cave", -1.0f, 17.0f}};
    for (auto const& s : steps) {
        CspeciesSchooling* made = school(*t, s.name);
        ASSERT_NE(made, nullptr) << s.name;
        EXPECT_FLOAT_EQ(made->noisePosition, s.noise) << s.name;
        EXPECT_EQ(t->schoolManager->firstChild, made) << s.name;
        if (s.setNoise >= 0.0f) made->noisePosition = s.setNoise;
    }
    EXPECT_EQ(school(*t, "kelp"), t->schoolManager->firstChild->nextSibling);
    EXPECT_EQ(t->schoolManager->countChildren(), 3);
    // A saved tank makes its schools again with this line.
    std::ostringstream text;
    school(*t, "reef")->writeConfigString(text);
    EXPECT_EQ(text.str(), ":addSchool reef");
    EXPECT_EQ(runStringScript(t, ":addSchool lagoon"), 0);
    EXPECT_NE(dynamic_cast<CspeciesSchooling*>(t->schoolManager->getChild("lagoon")), nullptr);
    EXPECT_TRUE(exitReasonList.empty());
}

TEST_F(SchoolTest, MembersAreCuedNearestFirstWithGrowingDelays) {
    CspeciesSchooling s("reef", tank);
    expectNear(s.schoolPoint, 0.5f, 0.5f, 0.5f);
    // An empty school changes nothing, not even its counter.
    s.updateSchooling();
    EXPECT_EQ(s.frameCounter, 60);
    EXPECT_FLOAT_EQ(s.noisePosition, 0.0f);

    float const distances[] = {5.0f, 1.0f, 3.0f};
    Cfish* fish[3];
    for (int i = 0; i < 3; i++) {
        // The head at the distance, the middle a little nearer: the order is the same.
        fish[i] = makeFish(Cvector(0.5f, 0.5f, 0.5f + distances[i]));
        s.addFish(*fish[i]);
        EXPECT_EQ(fish[i]->mySchool, &s);
    }
    ASSERT_EQ(s.members.size(), 3u);
    s.updateSchooling();
    EXPECT_EQ(s.frameCounter, 0);
    // The spread is (0 x 10 + 8) x the wander's middle value 0.5.
    int const delays[] = {8, 0, 4};
    for (int i = 0; i < 3; i++) {
        ASSERT_EQ(fish[i]->numMessages(), 2) << i;
        int const codes[] = {MESSAGE_JOIN_SCHOOL, MESSAGE_SCHOOL_POINT};
        for (int m = 0; m < 2; m++) {
            CthingMessage const& r = fish[i]->record(m);
            EXPECT_EQ(r.code, codes[m]) << i;
            EXPECT_EQ(r.delay, delays[i]) << i;
            EXPECT_FLOAT_EQ(r.floatValue, s.arriveDistance) << i;
        }
    }
    // The next cue waits for the new period.
    s.updateSchooling();
    EXPECT_EQ(s.frameCounter, 1);
    EXPECT_EQ(fish[0]->numMessages(), 2);

    deleteVariable(fish[1]);
    EXPECT_EQ(s.members.size(), 2u);
}

TEST_F(SchoolTest, AFishForgetsADeletedSchool) {
    auto* s = new CspeciesSchooling("reef", tank);
    tank->addVariable(s, 1);
    Cfish* fish = makeFish();
    s->addFish(*fish);
    ASSERT_EQ(fish->mySchool, s);
    deleteVariable(s);
    EXPECT_EQ(fish->mySchool, nullptr);
}

} // namespace
