// Image scripts run on a texture: the work images, the commands and their failures, and
// the hand-over of the last altered image to the texture's array.
#include <string>
#include <vector>

#include "data/imageIO.h"
#include "graphics/textureImage.h"
#include "requestTestSupport.h"
#include "script/mathSolver.h"
#include "script/scripter.h"

namespace {

class ImageScriptTest : public RequestTest {
  protected:
    void SetUp() override {
        RequestTest::SetUp();
        scriptError = 0;
        tex->setName("tex");
        tex->setParent(&owner, 0);
        tex->setDiskPath(Cstring(folder().c_str()));
    }
    void TearDown() override {
        images.clear();
        lastImageAltered = nullptr;
        scriptError = 0;
        mathSolver.clearError();
        RequestTest::TearDown();
    }
    // preScript, the lines, postScript: what a texture stage does with its image block.
    int run(std::string const& text) {
        tex->preScript();
        int result = runStringScript(tex, text.c_str());
        tex->postScript();
        return result;
    }

    CdirectoryVar owner;
    CtextureImage* tex = new CtextureImage;
};

TEST(CommandizeTest, CollectsDashedLowercaseWords) {
    CscriptLine line;
    for (char const* token : {"-top", "a", "-Top", "-1", "-", "-method", "--x", "-z"})
        line.addToken(token, TOKEN_LITERAL);
    std::vector<Cstring> words;
    std::vector<int> positions;
    EXPECT_EQ(commandize(line, words, positions), 0);
    std::vector<std::string> got;
    for (Cstring const& w : words)
        got.push_back(w.c_str());
    EXPECT_EQ(got, (std::vector<std::string>{"top", "method", "z"}));
    EXPECT_EQ(positions, (std::vector<int>{1, 6, 8}));
}

TEST_F(ImageScriptTest, CommandsComposeTheTexture) {
    ASSERT_EQ(run(":buffer -name a -res 4 2 -chans 4\n"
                  ":fill a rgba 1 0.5 0 1 0.2\n" // the fifth value is ignored
                  ":buffer -name b -res 4 2 -chans 1\n"
                  ":simpleRamp b\n"
                  ":replaceAlpha a b\n"
                  ":mult a 0.5 1 1 1\n"),
              0);
    EXPECT_EQ(exitReason(), "");
    ASSERT_EQ(tex->array->res[0], 4);
    ASSERT_EQ(tex->array->chans, 4);
    std::vector<int> want;
    for (int y = 0; y < 2; y++)
        for (int x = 0; x < 4; x++)
            want.insert(want.end(), {127, 127, 0, 64 * x});
    EXPECT_EQ(bytes(*tex->array), want);

    // A dot composed over a blue base, then the base halved by resizing and by averaging.
    ASSERT_EQ(run(":buffer -name base -res 4 4 -chans 4\n"
                  ":fill base rgba 0 0 1 1\n"
                  ":buffer -name dot -res 2 2 -chans 4\n"
                  ":fill dot rgba 1 0 0 0.5\n"
                  ":comp -top dot -bottom base -method over -pos 1 1\n"
                  ":downRes small base 3\n"
                  ":makeResized half base small\n"
                  ":add half small 1 0 0\n"),
              0);
    // Over with alpha 127/255 gives red 127, blue 128, alpha 191 on the middle four
    // pixels, so every 2 x 2 average holds one of them: (31, 0, 223, 239); add doubles red.
    ASSERT_EQ(tex->array->res[0], 2);
    std::vector<int> quarter;
    for (int i = 0; i < 4; i++)
        quarter.insert(quarter.end(), {62, 0, 223, 239});
    EXPECT_EQ(bytes(*tex->array), quarter);
}

TEST_F(ImageScriptTest, MultScalesTheArrayUntilAnImageIsAltered) {
    tex->allocateDataArray(2);
    tex->array->init(2, 1, 1, 4, 1);
    std::vector<int> start = {201, 100, 50, 200, 10, 20, 30, 40};
    for (int i = 0; i < 8; i++)
        tex->array->byteData[i] = static_cast<unsigned char>(start[i]);
    EXPECT_EQ(run(":mult 0.5"), 0);
    EXPECT_EQ(bytes(*tex->array), (std::vector<int>{100, 50, 25, 200, 5, 10, 15, 40}));
    EXPECT_EQ(run(":mult 3 1 -1"), 0); // saturates and clamps; alpha keeps 1
    EXPECT_EQ(bytes(*tex->array), (std::vector<int>{255, 50, 0, 200, 15, 10, 0, 40}));

    // Channels past the fourth have no factor.
    tex->allocateDataArray(2);
    tex->array->init(1, 1, 1, 6, 1);
    std::fill(tex->array->byteData, tex->array->byteData + 6, 100);
    EXPECT_EQ(run(":mult 0.5"), 0);
    EXPECT_EQ(bytes(*tex->array), (std::vector<int>{50, 50, 50, 100, 100, 100}));

    EXPECT_EQ(run(":buffer -res 1 1 -chans 4\n:fill unnamed rgba 0.4 0.4 0.4 0.4\n:mult unnamed 0.5"), 0);
    EXPECT_EQ(bytes(*tex->array), (std::vector<int>{51, 51, 51, 102}));
    tex->array->init(1, 1, 1, 4, 4);
    run(":mult 0.5");
    EXPECT_EQ(exitReason(), "CdataArray::mult not supported for floats");
}

TEST_F(ImageScriptTest, FailuresRecordTheirReason) {
    char const* emptyImage = "imageIOtoDataArray - tried to copy image of zero size";
    struct Case {
        char const* script;
        char const* reason;
        int result;
    } cases[] = {
        {":buffer\n:fill nope r 1", "couldn't find comp image name!", 2},
        {":buffer\n:mult nope 0.5", "bad img name nope", 2},
        {":buffer\n:mult unnamed 1 2 3 4 5", "unknown mult", 0},
        {":mult 1 2", "bad mult # values", 0},
        {":buffer\n:makeResized d nope unnamed", "makeResized error", 2},
        {":buffer\n:add unnamed nope 1", "addImage error", 2},
        {":buffer -name a -res 2 2\n:buffer -name b -res 3 3\n:add a b 1", "addimage failed", 2},
        {":buffer\n:replaceAlpha unnamed nope", "replaceAlpha error", 2},
        {":buffer\n:downRes d nope 1", "scaleimg not found", 0},
        {":buffer\n:comp -top unnamed", "comp does not have proper layers", 0},
        {":buffer\n:displace -vectors unnamed", "comp does not have proper layers", 0},
        {":buffer -name a\n:comp -top a -bottom a -method blend", "unknown comp method blend", 1},
        {":buffer -name a\n:comp -top a -bottom a -method maskblend", "no mask in comp", 2},
        {":buffer -name a -res 2 2\n:buffer -name b\n:comp -new r -bottom b -top a",
         "comp err: imgs must be same size", 0},
        {":buffer -name v -res 2 2\n:buffer -name g\n:displace -vectors v -grab g -to g", "displace bad res",
         2},
        // Load failures record nothing themselves; the empty image is refused at the end.
        {":buffer -file missing.rgb", emptyImage, 2},
        {":buffer -file missing.png", emptyImage, 2},
        {":buffer -file pic.rgb -permanent", "nlp", 2},
        {":loadRGBA none.jpg none.alpha", emptyImage, 2},
    };
    for (Case const& c : cases) {
        resetExitState();
        scriptError = 0;
        int result = run(c.script);
        EXPECT_EQ(exitReason(), c.reason) << c.script;
        EXPECT_EQ(result, c.result) << c.script;
    }
}

TEST_F(ImageScriptTest, BuffersLoadFilesAndPermanentOnesEditTheSharedArray) {
    writeSgi(dir.file("pic.rgb"), 1, 2, 3, [](int, int y, int c) { return 100 + 10 * y + c; });
    EXPECT_EQ(run(":buffer -name p -file pic.rgb"), 0);
    EXPECT_EQ(bytes(*tex->array), (std::vector<int>{100, 101, 102, 110, 111, 112}));

    EXPECT_EQ(run(":buffer -name p -file pic.rgb -permanent\n:mult p 0.5 1 0"), 0);
    CdataArray* shared = requestDataArray(dir.file("pic.rgb").c_str(), nullptr, 3);
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(bytes(*shared), (std::vector<int>{50, 101, 0, 55, 111, 0}));
    // Re-sizing a borrowing image gives it pixels of its own; the shared array keeps its own.
    EXPECT_EQ(run(":buffer -name p -file pic.rgb -permanent\n:comp -bottom p -bottom p -top p"), 0);
    EXPECT_EQ(bytes(*shared), (std::vector<int>{50, 101, 0, 55, 111, 0}));
    EXPECT_EQ(bytes(*tex->array), std::vector<int>(6, 0));

    writeJpeg(dir.file("c.jpg"), 2, 2, 255, 255, 255);
    writeSgi(dir.file("c.alpha"), 2, 2, 1, [](int x, int y, int) { return 40 * (x + 2 * y); });
    EXPECT_EQ(run(":loadRGBA c.jpg c.alpha"), 0);
    ASSERT_EQ(tex->array->chans, 4);
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(tex->array->byteData[4 * i + 3], 40 * i);
}

TEST_F(ImageScriptTest, DisplaceFillsANewTargetFromTheGrabImage) {
    EXPECT_EQ(run(":buffer -name v -res 2 1 -chans 4\n:fill v rgba 0 0 1 1\n"
                  ":buffer -name g -res 4 1\n:simpleRamp g\n"
                  ":displace -vectors v -grab g -new t -contrast 0 -multadd 1 -1.5 -vectorTrans 1 1 0.5 0 0"),
              0);
    EXPECT_EQ(images.find("t"), lastImageAltered);
    EXPECT_EQ(bytes(*tex->array), std::vector<int>(6, 128)); // column 2 of the ramp
}

} // namespace
