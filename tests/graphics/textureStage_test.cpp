// Texture stage commands (images by name, hints, refusals), and textures shared by
// name through the data-array requests.
#include "data/requestTestSupport.h"
#include "graphics/textureImage.h"
#include "materialTestSupport.h"

namespace {

class StageTest : public MaterialTest {
  protected:
    void SetUp() override {
        MaterialTest::SetUp();
        sharedResourceTree = &shop;
        std::filesystem::create_directories(folder.path() + "arrays");
        // A one-channel and a three-channel image in the model's "arrays" folder.
        writeSgi(folder.path() + "arrays/grey.sgi", 4, 2, 1, [](int x, int y, int) { return x + 10 * y; });
        writeSgi(folder.path() + "arrays/rgb.sgi", 2, 2, 3, [](int x, int, int c) { return 50 * c + x; });
    }
    void TearDown() override {
        model.deleteChildren(); // stages let go of their images first
        shop.deleteChildren();
        sharedResourceTree = nullptr;
        MaterialTest::TearDown();
    }
    // Loads a material whose only stage runs block, and one more line, which a failure in
    // the block stops; returns that stage (or null).
    CtextureStage* stageOf(std::string const& block, int* result = nullptr) {
        material = loadScript(":addStage {\n" + block + "\n}\n:sortPosition 1\n", result);
        return material->getStage(0);
    }

    CdirectoryVar shop;
    Cmaterial* material = nullptr;
};

TEST_F(StageTest, ChansHintGoesToTheLookUpOnlyBeforeTex) {
    // The first stage loads the one-channel image; asking three of it is reported.
    int result = -1;
    material = loadScript(":addStage { :tex grey.sgi } :addStage { :chans 3 :tex grey.sgi }", &result);
    EXPECT_EQ(lastReason(), "wanted 3 chans for grey.sgi but this version has 1");
    EXPECT_EQ(material->getStage(1)->chansHint, 3);

    reset();
    CtextureStage* s = stageOf(":tex rgb.sgi :chans 1", &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(lastReason(), "hint chans must precede 'tex' function in " + modelFolder() + "/arrays");
    ASSERT_NE(s->tex, nullptr);
    EXPECT_EQ(s->tex->array->chans, 3); // the image stays as loaded
    EXPECT_EQ(s->chansHint, 1);
}

TEST_F(StageTest, OtherCommands) {
    int result = -1;
    CtextureStage* s = stageOf(":tex grey.sgi :customTex fins", &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(s->tex, nullptr);
    EXPECT_EQ(s->customTex, 1);
    EXPECT_STREQ(s->customTexName.c_str(), "fins");

    struct Refusal {
        char const* block;
        char const* reason;
    } refusals[] = {
        {":volumeRes 16", "volume res problem"},
        {":chans", "missing argument of stage command chans"},
        {":customTex", "missing argument of stage command customTex"},
        {":uvIndex", "missing argument of stage command uvIndex"},
    };
    for (Refusal const& r : refusals) {
        reset();
        model.deleteChildren();
        stageOf(r.block, &result);
        EXPECT_EQ(lastReason(), r.reason) << r.block;
    }
}

class TextureRequest : public RequestTest {};

TEST_F(TextureRequest, SharedByNameAndOnlyHeldByTextures) {
    writeJpeg(dir.file("fish.jpg"), 8, 4, 250, 0, 0);
    writeSgi(dir.file("fish.alpha"), 8, 4, 1, [](int x, int y, int) { return x + y; });
    CtextureImage* t = requestTexMap("fish.sgi", folder().c_str(), 4);
    ASSERT_NE(t, nullptr);
    EXPECT_NE(t->array, nullptr);
    EXPECT_EQ(requestTexMap("fish.sgi", folder().c_str(), 4), t);

    // An array already filed as a plain reference is not a texture.
    writeSgi(dir.file("plain.rgb"), 2, 2, 3, [](int, int, int) { return 1; });
    ASSERT_NE(requestDataArray("plain.rgb", folder().c_str(), -1), nullptr);
    EXPECT_EQ(requestTexMap("plain.rgb", folder().c_str(), -1), nullptr);
    EXPECT_NE(std::string(exitMsg.c_str()).find("requestTexMap didn't return texture"), std::string::npos);
}

} // namespace
