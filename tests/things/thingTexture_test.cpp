// Power-of-two canvases with their "uv" remapping, and custom textures built by species
// scripts.
#include "data/dataArray.h"
#include "data/dataArrayManager.h"
#include "scriptedThing.h"
#include "support/fileIO.h"
#include "support/helperFunctions.h"
#include "thingTestSupport.h"

namespace {

class ThingTexture : public ThingTest {
  protected:
    void SetUp() override {
        ThingTest::SetUp();
        thing.resetThing(0);
        ASSERT_EQ(thing.addRenderGeometry(), 0);
    }
    ScriptedThing thing;
};

TEST_F(ThingTexture, ImagesGrowToTheSmallestPowerOfTwoKeepingThePicture) {
    struct {
        int w, h;
        int nw, nh;
    } cases[] = {
        {300, 200, 512, 256}, {1024, 512, 1024, 512}, // already a power of two: left alone
        {1025, 1, 2048, 1},                           // just past one: the next power
        {1, 1, 1, 1},         {3, 16383, 4, 16384},
    };
    for (auto const& c : cases) {
        CdataArray image;
        image.init(c.w, c.h, 1, 1, 1);
        ASSERT_NE(image.byteData, nullptr);
        bool twoCorners = c.w * c.h > 1;
        image.byteData[0] = 11;
        if (twoCorners) image.byteData[c.w * c.h - 1] = 99; // the far corner of the old picture
        float uv[4] = {};
        ASSERT_EQ(thing.powerizeImageAndUVs(&image, 0, uv), 0) << c.w << "x" << c.h;
        EXPECT_EQ(image.res[0], c.nw) << c.w << "x" << c.h;
        EXPECT_EQ(image.res[1], c.nh) << c.w << "x" << c.h;
        EXPECT_EQ(image.byteData[0], 11);
        if (twoCorners) {
            EXPECT_EQ(image.byteData[(c.h - 1) * c.nw + c.w - 1], 99) << c.w << "x" << c.h;
        }
        float su = static_cast<float>(c.w) / c.nw;
        float sv = static_cast<float>(c.h) / c.nh;
        float expected[4] = {su + 0.5f / c.nw, 2 * su + 0.5f / c.nw, -0.5f / c.nh, sv - 0.5f / c.nh};
        for (int i = 0; i < 4; i++)
            EXPECT_FLOAT_EQ(uv[i], expected[i]) << c.w << "x" << c.h << " value " << i;
        auto const* u = recorder(thing)->lastRemap("uv", 0);
        auto const* v = recorder(thing)->lastRemap("uv", 1);
        ASSERT_TRUE(u && v);
        EXPECT_FLOAT_EQ(u->lo, expected[0]);
        EXPECT_FLOAT_EQ(u->hi, expected[1]);
        EXPECT_FLOAT_EQ(v->lo, expected[2]);
        EXPECT_FLOAT_EQ(v->hi, expected[3]);
    }
}

TEST_F(ThingTexture, ImagesBeyondTheLimitsOrMissingAreRefused) {
    struct {
        int w, h;
    } cases[] = {{17000, 1}, {16385, 4}, {1, 170000}};
    for (auto const& c : cases) {
        resetExitState();
        CdataArray image;
        image.init(c.w, c.h, 1, 1, 1);
        float uv[4] = {-7, -7, -7, -7};
        EXPECT_EQ(thing.powerizeImageAndUVs(&image, 0, uv), 1) << c.w << "x" << c.h;
        EXPECT_TRUE(hasReason("piauv"));
        EXPECT_EQ(image.res[0], c.w);
        EXPECT_EQ(uv[0], -7.0f);
    }
    EXPECT_EQ(thing.powerizeImageAndUVs(nullptr, 0, nullptr), 1);
}

// A species whose scripts are children found by path.
class ScriptSpecies : public TestSpecies {
  public:
    ScriptSpecies() : TestSpecies("painter") {}
    void addScript(char const* path, char const* text) {
        auto* script = new CscriptVar;
        ASSERT_EQ(script->processStringScript(text), 0);
        addVariableForcedPath(this, path, script, 1);
    }
};

TEST_F(ThingTexture, CustomTexturesComeFromTheSpeciesScripts) {
    ScriptSpecies species;
    thing.species = &species;
    struct {
        char const* path;
        char const* script; // null: the species has none
        bool built;
        char const* reason;
        uint8_t failedFlag;
        int width; // of the image the thing is told of; 0: not told
    } cases[] = {
        {"tex/none", nullptr, false, "custom tex script not found", 0, 0},
        {"tex/broken", ":noSuchImageCommand 1", false, nullptr, 1, 0},
        {"tex/plain", ":int made 1", true, nullptr, 0, 0},
        {"tex/sky", ":buffer -name sky -res 6 3 -chans 4\n:fill sky rgba 1 0 0 1", true, nullptr, 0, 6},
    };
    for (auto const& c : cases) {
        resetExitState();
        scriptError = 0;
        customTextureFailed = 0;
        thing.notifiedImage = nullptr;
        if (c.script) species.addScript(c.path, c.script);
        CdataArrayReference* ref = thing.buildCustomTex(c.path);
        Cstring name = c.path;
        noPath(name);
        Cvariable* child = thing.customTextures->getChild(name.c_str());
        if (c.script == nullptr) {
            EXPECT_NE(ref, nullptr);
            EXPECT_EQ(child, ref) << c.path;
        } else {
            EXPECT_EQ(ref != nullptr, c.built) << c.path;
            EXPECT_EQ(child != nullptr, c.built) << c.path;
        }
        if (c.reason) {
            EXPECT_TRUE(hasReason(c.reason)) << c.path;
        }
        EXPECT_EQ(customTextureFailed, c.failedFlag) << c.path;
        int told = thing.notifiedImage ? thing.notifiedImage->res[0] : 0;
        EXPECT_EQ(told, c.width) << c.path << " "
                                 << (exitReasonList.empty() ? "" : exitReasonList[0].c_str());
    }
    // Building again replaces the texture of that name.
    thing.buildCustomTex("tex/plain")->addVariableX("marker", CLASS_INT);
    thing.buildCustomTex("tex/plain");
    EXPECT_EQ(thing.customTextures->countChildren(), 3);
    ASSERT_NE(thing.customTextures->getChild("plain"), nullptr);
    EXPECT_EQ(thing.customTextures->getChild("plain")->getChild("marker"), nullptr);
    scriptError = 0;
    thing.species = nullptr;
}

} // namespace
