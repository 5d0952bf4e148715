// A fish's construction: keys from the species' per-member script, legal start values,
// repeated resets, saving and the factory's keyword.
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "fish/fishKind.h"
#include "fishTestSupport.h"
#include "script/scripter.h"
#include "world/thingFactory.h"

TEST_F(FishTest, InitScriptKeysAndSpeedTiersSurviveResets) {
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
        CscriptVar script;
        ASSERT_EQ(script.processStringScript(c.script), 0) << c.script;
        runScript(fish, &script);
        // A second and third reset change nothing the first one derived.
        for (int reset = 0; reset < 3; reset++) {
            ASSERT_EQ(fish->resetThing(0), 0);
            for (int i = 0; i < 5; i++)
                EXPECT_NEAR(fish->speedTiers[i], c.tiers[i] * c.scale, 1e-3f) << c.script << i;
            EXPECT_NEAR(fish->proxyRadius, c.proxy, 1e-6f) << c.script;
            EXPECT_NEAR(fish->safetyClearance, 0.2f * c.scale, 1e-6f) << c.script;
            EXPECT_NEAR(fish->segmentLength, c.scale / 9.0f, 1e-6f);
            EXPECT_NEAR(fish->avoidanceRangeSquared, 4.0f * c.scale * c.scale, 1e-5f);
        }
        deleteVariable(fish);
    }
    EXPECT_TRUE(exitReasonList.empty());
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
    delete fish;
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
        {{nan, 1, 2}, nan, nan, nan, {0, 1, 2}, 0, 0, 0}, // a NaN survived a reload
        {{1, 7, -4}, -360.0f, 360.0f, 0.0f, {1, 7, -4}, -360.0f, 360.0f, 0.0f},
    };
    for (auto const& c : cases) {
        Cfish* fish = makeFish();
        fish->startPos = c.pos;
        fish->startHeading = c.heading, fish->startPitch = c.pitch, fish->initialSpeed = c.speed;
        fish->setPosition();
        float const got[] = {fish->startPos.x,   fish->startPos.y, fish->startPos.z,
                             fish->startHeading, fish->startPitch, fish->bodySpeed};
        float const want[] = {c.wantPos.x, c.wantPos.y, c.wantPos.z, c.wantHeading, c.wantPitch, c.wantSpeed};
        for (int i = 0; i < 6; i++)
            EXPECT_EQ(got[i], want[i]) << i;
        EXPECT_NEAR((fish->vertex[0] - c.wantPos).length(), 0.0f, 1e-5f);
        deleteVariable(fish);
    }
}

TEST_F(FishTest, SavingWritesTheFourStartKeys) {
    Cfish* fish = makeFish(Cvector(1, 2, 3), 0.5f);
    fish->setName("f1");
    fish->vertex[0] = fish->vertex[1] + Cvector(0.0f, 0.5f * fish->segmentLength, 0.0f);
    std::string path = dir.file("fish.txt");
    ASSERT_EQ(fish->saveSettings(path.c_str(), false, false), 0);
    EXPECT_NEAR(fish->startPitch, -std::asin(0.5f), 1e-5f);
    EXPECT_NEAR(fish->initialSpeed, 0.5f, 1e-6f);
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    for (char const* key : {"startPos", "startHeading", "startPitch", "initialSpeed"})
        EXPECT_NE(text.str().find(key), std::string::npos) << key << "\n" << text.str();
    EXPECT_EQ(text.str().find("avgSpeed"), std::string::npos);
    // A head more than a segment above the next vertex saves a finite pitch.
    fish->vertex[0] = fish->vertex[1] + Cvector(0.0f, 3.0f, 0.0f);
    fish->prepForSaveConfig();
    EXPECT_NEAR(fish->startPitch, -1.5707963f, 1e-5f);
}

TEST_F(FishTest, FactoryKeywordAndExtraInit) {
    installFishKind();
    EXPECT_EQ(thingKindOf("fish"), 0);
    Cfish* fish = makeFish();
    EXPECT_EQ(fish->doExtraInit(), 0);
    fish->setParent(nullptr, 0);
    EXPECT_EQ(fish->doExtraInit(), 1);
    EXPECT_EQ(exitReasonList.back(), Cstring("fish tried to extra init with no tank set!"));
    delete fish;
    registerThingMaker("fish", nullptr);
}

// A rigid move about the point between vertices 4 and 5 carries the shown body with the
// spine: every vertex but the last, its display vertex and its orientation.
TEST_F(FishTest, TranslateAndRotateMovesTheShownBody) {
    struct {
        float turn;
        Cvector offset;
    } const cases[] = {{0.0f, Cvector(0.1f, 0.0f, 0.0f)}, {1.5707963f, Cvector(0.0f, 0.2f, -0.3f)}};
    for (auto const& c : cases) {
        Cfish* fish = makeFish(Cvector(0, 2, 0), 1.0f);
        fish->displayed = 1;
        fish->prepForCook();
        fish->goFish(1); // the display vertices lie along the undulated body, not on the spine
        Cmatrix3 rotation;
        rotation.setYrotation(c.turn);
        Cvector pivot = (fish->vertex[4] + fish->vertex[5]) * 0.5f;
        auto moved = [&](Cvector p) {
            Cvector d = p - pivot;
            d *= rotation;
            return pivot + d + c.offset;
        };
        std::vector<Cvector> spine(fish->vertex, fish->vertex + fish->bodyPoints);
        std::vector<Cvector> shown(fish->displayVertex, fish->displayVertex + fish->bodyPoints);
        Cvector forward = fish->vertexOrientation[2].forward;
        forward *= rotation;
        fish->translateAndRotate(c.offset, rotation);
        for (int i = 0; i < fish->lastPoint; i++) {
            EXPECT_LT((fish->vertex[i] - moved(spine[size_t(i)])).length(), 1e-5f)
                << c.turn << " vertex " << i;
            EXPECT_LT((fish->displayVertex[i] - moved(shown[size_t(i)])).length(), 1e-5f)
                << c.turn << " display vertex " << i;
        }
        EXPECT_EQ((fish->vertex[fish->lastPoint] - spine.back()).length(), 0.0f) << "the tail waits";
        EXPECT_LT((fish->vertexOrientation[2].forward - forward).length(), 1e-5f);
        deleteVariable(fish);
    }
}
