// Power-of-two canvases with their "uv" remapping, and custom textures built by the
// species' image scripts.
#include "data/dataArray.h"
#include "data/dataArrayManager.h"
#include "support/helperFunctions.h"
#include "variables/variablePaths.h"
#include "thingTestSupport.h"

namespace {

class ThingTexture : public ThingTest {
  protected:
    void SetUp() override { record(thing); }
    ScriptedThing thing;
};

TEST_F(ThingTexture, ImagesGrowToTheSmallestPowerOfTwoKeepingThePicture) {
    struct {
        int w, h, nw, nh; // nw 0: refused
    } cases[] = {{300, 200, 512, 256}, {1024, 512, 1024, 512}, {1025, 1, 2048, 1}, {1, 1, 1, 1},
                 {3, 16383, 4, 16384}, {17000, 1, 0, 0},       {1, 170000, 0, 0}};
    for (auto const& c : cases) {
        resetExitState();
        CdataArray image;
        image.init(c.w, c.h, 1, 1, 1);
        image.byteData[c.w * c.h - 1] = 99; // the far corner of the old picture
        float uv[4] = {};
        EXPECT_EQ(thing.powerizeImageAndUVs(&image, 0, uv), c.nw ? 0 : 1) << c.w << "x" << c.h;
        EXPECT_EQ(hasReason("piauv"), c.nw == 0);
        if (c.nw == 0) continue;
        EXPECT_EQ(image.res[0] * 100000 + image.res[1], c.nw * 100000 + c.nh) << c.w << "x" << c.h;
        EXPECT_EQ(image.byteData[(c.h - 1) * c.nw + c.w - 1], 99) << c.w << "x" << c.h;
        float su = float(c.w) / c.nw, sv = float(c.h) / c.nh;
        // u from the first column's centre across the picture, never the padding.
        float want[4] = {0.5f / c.nw, su + 0.5f / c.nw, -0.5f / c.nh, sv - 0.5f / c.nh};
        for (int i = 0; i < 4; i++)
            EXPECT_FLOAT_EQ(uv[i], want[i]) << c.w << "x" << c.h << " " << i;
        EXPECT_FLOAT_EQ(rec(&thing).remapHi[0], want[1]);
        EXPECT_FLOAT_EQ(rec(&thing).remapLo[1], want[2]);
    }
}

TEST_F(ThingTexture, CustomTexturesComeFromTheSpeciesScripts) {
    thing.species = &plain;
    customTextureFailed = 0; // a flag that lives for the run
    struct {
        char const* path;
        char const* script; // null: the species has none
        bool kept;          // a texture of that name is left
        uint8_t failed;
        int toldWidth; // of the image the thing is told of
    } cases[] = {
        {"tex/none", nullptr, true, 0, 0},
        {"tex/broken", ":noSuchImageCommand", false, 1, 0},
        {"tex/sky", ":buffer -name s -res 6 3 -chans 4\n:fill s rgba 1 0 0 1", true, 0, 6},
        {"tex/sky", ":buffer -name s -res 6 3 -chans 4\n:fill s rgba 1 0 0 1", true, 0, 6}, // replaces it
    };
    for (auto const& c : cases) {
        resetExitState();
        scriptError = 0;
        thing.told = nullptr;
        if (c.script && !plain.findVariable(c.path)) {
            auto* script = new CscriptVar;
            script->processStringScript(c.script);
            addVariableForcedPath(&plain, c.path, script, 1);
        }
        CdataArrayReference* ref = thing.buildCustomTex(c.path);
        Cvariable* kept = thing.customTextures->getChild(c.path + 4);
        EXPECT_EQ(kept != nullptr, c.kept) << c.path;
        EXPECT_EQ(ref, kept) << c.path;
        EXPECT_EQ(customTextureFailed, c.failed) << c.path;
        EXPECT_EQ(hasReason("custom tex script not found"), c.script == nullptr) << c.path;
        EXPECT_EQ(thing.told ? thing.told->res[0] : 0, c.toldWidth) << c.path;
    }
    EXPECT_EQ(thing.customTextures->countChildren(), 2);
    thing.species = nullptr;
}

// A rebuild whose script fails (a picture that does not load) keeps the texture the thing
// had, so it stays drawable.
TEST_F(ThingTexture, AFailedRebuildKeepsTheTextureBefore) {
    thing.species = &plain;
    auto* script = new CscriptVar;
    script->processStringScript(":buffer -name s -res 4 2 -chans 4\n:fill s rgba 0 1 0 1");
    addVariableForcedPath(&plain, "tex/water", script, 1);
    CdataArrayReference* first = thing.buildCustomTex(Cstring("tex/water"));
    ASSERT_NE(first, nullptr);
    ASSERT_NE(first->array, nullptr);
    script->processStringScript(":buffer -chans 3 -file @/no/such/picture.jpg");
    scriptError = 0;
    EXPECT_EQ(thing.buildCustomTex(Cstring("tex/water")), nullptr);
    EXPECT_EQ(customTextureFailed, 1);
    EXPECT_EQ(thing.customTextures->getChild("water"), first) << "the texture before stays";
    EXPECT_EQ(first->array->res[0], 4);
    EXPECT_EQ(thing.customTextures->countChildren(), 1);
    thing.species = nullptr;
}

} // namespace
