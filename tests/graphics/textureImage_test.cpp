// Texture images: counted holding through setTexImage and device textures per display.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "data/dataArray.h"
#include "graphics/textureImage.h"
#include "support/cerr.h"
#include "support/traceCapture.h"

namespace {

// A display device that records what images ask of it and hands out fake handles.
class RecordingDevice : public CtextureDevice {
  public:
    explicit RecordingDevice(int16_t index) : index(index) {}
    int16_t textureSlotIndex() override { return index; }
    int imageTotexMap(CtextureImage* image, CdataArray*) override {
        calls.push_back("make");
        if (fail) return 1;
        image->deviceTextures[index] = reinterpret_cast<CdeviceTexture*>(uintptr_t(0x100 + index));
        return 0;
    }
    void freeTexture(CtextureImage* image, int remove) override {
        calls.push_back(remove ? "free+remove" : "free");
        if (index >= 0 && index < TEXTURE_DISPLAY_SLOTS) image->deviceTextures[index] = nullptr;
    }

    int16_t index;
    bool fail = false;
    std::vector<std::string> calls;
};

class TextureImageTest : public ::testing::Test {
  protected:
    TextureImageTest() : trace(1) {}
    void TearDown() override {
        for (CtextureDevice*& d : textureDisplays)
            d = nullptr;
    }
    // A new image with a 2 x 2 RGB array.
    static CtextureImage* imageWithArray() {
        auto* image = new CtextureImage;
        image->allocateDataArray(2);
        image->array->init(2, 2, 1, 3, 1);
        return image;
    }
    TraceCapture trace;
};

TEST_F(TextureImageTest, FailuresGiveNullAndAreRetried) {
    RecordingDevice failing(2);
    failing.fail = true;
    CtextureImage* image = imageWithArray();
    EXPECT_EQ(image->getTexture(&failing), nullptr);
    EXPECT_EQ(image->getTexture(&failing), nullptr);
    EXPECT_EQ(failing.calls.size(), 2u);
    EXPECT_TRUE(exitReasonList.empty());

    RecordingDevice outOfRange(TEXTURE_DISPLAY_SLOTS);
    EXPECT_EQ(image->getTexture(&outOfRange), nullptr);
    EXPECT_TRUE(outOfRange.calls.empty());
    EXPECT_EQ(image->getTexture(nullptr), nullptr);
    delete image;

    CtextureImage empty; // no array: recorded, nothing asked of the device
    RecordingDevice d(0);
    EXPECT_EQ(empty.getTexture(&d), nullptr);
    EXPECT_EQ(exitReasonList.size(), 1u);
    EXPECT_STREQ(exitReasonList[0].c_str(), "da=0");
    EXPECT_TRUE(d.calls.empty());
}

TEST_F(TextureImageTest, FreeingAndDestructionReachEveryDisplay) {
    RecordingDevice d0(0), d3(3);
    textureDisplays[0] = &d0;
    textureDisplays[3] = &d3;
    CtextureImage* image = imageWithArray();
    image->getTexture(&d0);

    image->freeGraphicsMem(&d3); // d3 made nothing: nothing to free
    EXPECT_EQ(d3.calls.size(), 0u);
    image->freeGraphicsMem(&d0);
    EXPECT_EQ(d0.calls, (std::vector<std::string>{"make", "free+remove"}));
    EXPECT_EQ(image->deviceTextures[0], nullptr);

    image->getTexture(&d0);
    image->getTexture(&d3);
    d0.calls.clear();
    d3.calls.clear();
    CtextureImage* holder = nullptr;
    setTexImage(&holder, image);
    setTexImage(&holder, nullptr); // the last holder destroys the image
    EXPECT_EQ(d0.calls, std::vector<std::string>{"free+remove"});
    EXPECT_EQ(d3.calls, std::vector<std::string>{"free+remove"});
}

} // namespace
