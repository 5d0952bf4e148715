// A fish's construction: keys from the species' per-member script, legal start values,
// repeated resets, saving and the arrays it cannot live without.
#include <cmath>
#include <fstream>
#include <sstream>

#include "fish/fishKind.h"
#include "fishTestSupport.h"
#include "script/scripter.h"
#include "world/thingFactory.h"

namespace {
void runOn(Cvariable* target, char const* text) {
    CscriptVar script;
    ASSERT_EQ(script.processStringScript(text), 0)
        << text << (exitReasonList.empty() ? "" : exitReasonList.back().c_str());
    runScript(target, &script);
}
} // namespace

TEST_F(FishTest, InitScriptKeysAndSpeedTiers) {
    struct {
        char const* script;
        float scale;
        float tiers[5];
        float proxy;
    } const cases[] = {
        {"", 1.0f, {1.333f, 1.7329f, 2.666f, 3.999f, 5.332f}, 0.15f},
        {":set avgSpeed 2\n:set proxySphereSize 0.3", 0.5f, {2.0f, 2.6f, 4.0f, 6.0f, 8.0f}, 0.15f},
        {":set moseyHustleRaceBurst 1 2 3 4 5", 2.0f, {1.0f, 2.0f, 3.0f, 4.0f, 5.0f}, 0.3f},
        // Tiers that do not increase would divide by zero in the steering: the average wins.
        {":set moseyHustleRaceBurst 1 1 1 1 1", 1.0f, {1.333f, 1.7329f, 2.666f, 3.999f, 5.332f}, 0.15f},
    };
    for (auto const& c : cases) {
        auto* fish = new Cfish;
        fish->thingScale = c.scale;
        fish->setParent(tank->things, 1);
        if (*c.script) runOn(fish, c.script);
        ASSERT_EQ(fish->resetThing(0), 0);
        for (int i = 0; i < 5; i++)
            EXPECT_NEAR(fish->speedTiers[i], c.tiers[i] * c.scale, 1e-3f) << c.script << i;
        EXPECT_NEAR(fish->proxyRadius, c.proxy, 1e-6f) << c.script;
        EXPECT_NEAR(fish->segmentLength, c.scale / 9.0f, 1e-6f);
        EXPECT_NEAR(fish->avoidanceRangeSquared, 4.0f * c.scale * c.scale, 1e-5f);
        deleteVariable(fish);
    }
    EXPECT_TRUE(exitReasonList.empty());
}

TEST_F(FishTest, StartValuesAreLegalised) {
    float const nan = std::nanf("");
    struct {
        Cvector pos;
        float heading, pitch, speed;
        Cvector wantPos;
        float wantHeading, wantPitch, wantSpeed;
    } const cases[] = {
        {{12, 3, 5}, 0.5f, 0.1f, 1.0f, {0, 3, 5}, 0.5f, 0.1f, 1.0f},
        {{-1, -3, 11}, 400.0f, -400.0f, 11.0f, {-1, 0, 0}, 0, 0, 0},
        {{nan, 1, 2}, nan, nan, nan, {0, 1, 2}, 0, 0, 0},
        {{1, 7, -4}, -360.0f, 360.0f, 0.0f, {1, 7, -4}, -360.0f, 360.0f, 0.0f},
    };
    for (auto const& c : cases) {
        Cfish* fish = makeFish();
        fish->startPos = c.pos;
        fish->startHeading = c.heading, fish->startPitch = c.pitch, fish->initialSpeed = c.speed;
        fish->setPosition();
        EXPECT_EQ(fish->startPos.x, c.wantPos.x);
        EXPECT_EQ(fish->startPos.y, c.wantPos.y);
        EXPECT_EQ(fish->startPos.z, c.wantPos.z);
        EXPECT_EQ(fish->startHeading, c.wantHeading);
        EXPECT_EQ(fish->startPitch, c.wantPitch);
        EXPECT_EQ(fish->bodySpeed, c.wantSpeed);
        EXPECT_NEAR(fish->vertex[0].x, c.wantPos.x, 1e-5f);
        EXPECT_NEAR(fish->vertex[0].z, c.wantPos.z, 1e-5f);
        deleteVariable(fish);
    }
}

TEST_F(FishTest, ResetTwiceEqualsResetOnce) {
    Cfish* fish = makeFish(Cvector(0, 2, 0), 1.0f, 0.5f);
    float const once[] = {fish->proxyRadius, fish->safetyClearance, fish->speedTiers[4], fish->segmentLength,
                          fish->maxPitchAtSpeed};
    fish->resetThing(0);
    fish->resetThing(0);
    float const twice[] = {fish->proxyRadius, fish->safetyClearance, fish->speedTiers[4], fish->segmentLength,
                           fish->maxPitchAtSpeed};
    for (int i = 0; i < 5; i++)
        EXPECT_EQ(once[i], twice[i]) << i;
    EXPECT_NEAR(once[0], 0.075f, 1e-6f);
    EXPECT_NEAR(once[1], 0.1f, 1e-6f);
}

TEST_F(FishTest, SavingWritesTheFourStartKeys) {
    Cfish* fish = makeFish(Cvector(1, 2, 3), 0.5f);
    fish->setName("f1");
    // A pitched head: the saved pitch follows the body, and stays finite when the head
    // sits more than a segment above the next vertex.
    fish->vertex[0] = fish->vertex[1] + Cvector(0.0f, 0.5f * fish->segmentLength, 0.0f);
    std::string path = dir.file("fish.txt");
    ASSERT_EQ(fish->saveSettings(path.c_str(), false, false), 0);
    EXPECT_NEAR(fish->startPitch, -std::asin(0.5f), 1e-5f);
    fish->vertex[0] = fish->vertex[1] + Cvector(0.0f, 3.0f, 0.0f);
    fish->prepForSaveConfig();
    EXPECT_NEAR(fish->startPitch, -1.5707963f, 1e-5f);
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    for (char const* key : {"startPos", "startHeading", "startPitch", "initialSpeed"})
        EXPECT_NE(text.str().find(key), std::string::npos) << key << "\n" << text.str();
    for (char const* key : {"avgSpeed", "proxySphereSize", "spineScale"})
        EXPECT_EQ(text.str().find(key), std::string::npos) << key;
    EXPECT_NEAR(fish->initialSpeed, 0.5f, 1e-6f);
}

TEST_F(FishTest, MissingArrayGivesAhh) {
    std::filesystem::remove("species/std_fish/arrays/flickPredict.volume");
    auto* fish = new Cfish;
    // The array's own report comes first; the fish's follows it in the exit message.
    std::string message = exitMsg.c_str();
    EXPECT_EQ(erroredExit, 1);
    ASSERT_GE(message.size(), 3u);
    EXPECT_EQ(message.substr(message.size() - 3), "ahh") << message;
    EXPECT_EQ(fish->flickPredict, nullptr);
    EXPECT_NE(fish->swimCycle, nullptr);
    delete fish;
}

TEST_F(FishTest, FactoryKeywordAndTankLists) {
    installFishKind();
    EXPECT_EQ(thingKindOf("fish"), 0);
    Cfish* fish = makeFish();
    EXPECT_EQ(fish->tank, tank);
    EXPECT_EQ(fish->whatAmI(), WHAT_FISH);
    EXPECT_EQ(fish->attributes, 186u);
    EXPECT_EQ(fish->doExtraInit(), 0);
    fish->setParent(nullptr, 0);
    EXPECT_EQ(fish->doExtraInit(), 1);
    EXPECT_EQ(exitReasonList.back(), Cstring("fish tried to extra init with no tank set!"));
    delete fish;
    registerThingMaker("fish", nullptr);
}

TEST_F(FishTest, CollisionSpheresAndRigidMoves) {
    Cfish* fish = makeFish(Cvector(0, 2, 0), 0.0f);
    Cvector c;
    float r = 0;
    fish->getCollisionSphere(0, 0.0f, c, r);
    EXPECT_NEAR(r, 0.15f * 1.3f, 1e-6f);
    EXPECT_NEAR((c - fish->vertex[0]).length(), 0.0f, 1e-6f);
    fish->getCollisionSphere(3, 0.0f, c, r);
    EXPECT_NEAR(r, 0.15f, 1e-6f);
    EXPECT_NEAR((c - fish->vertex[6]).length(), 0.0f, 1e-6f);
    // A half turn about y around the pivot between vertices 4 and 5, then a shift.
    Cvector pivot = (fish->vertex[4] + fish->vertex[5]) * 0.5f;
    Cvector head = fish->vertex[0];
    Cmatrix3 turn;
    turn.identity();
    turn.setYrotation(3.14159265f);
    fish->translateAndRotate(Cvector(1, 0, 0), turn);
    Cvector want = pivot * 2.0f - head + Cvector(1, 0, 0);
    want.y = head.y;
    EXPECT_NEAR((fish->vertex[0] - want).length(), 0.0f, 1e-4f);
    EXPECT_NEAR(fish->vertexOrientation[0].forward.z, -1.0f, 1e-4f);
}
