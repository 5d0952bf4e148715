// The OpenGL device under EGL surfaceless: capabilities, extension words, textures read
// back exactly, the camera's projection onto pixels, fog, and two devices on one thread.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "data/dataArray.h"
#include "glTestSupport.h"
#include "graphics/glShader.h"
#include "graphics/graphicsGL.h"
#include "graphics/textureImage.h"
#include "host/glHeaders.h"
#include "support/traceCapture.h"

namespace {

// One device drawing into its own offscreen context of w x h.
struct GlDisplay {
    GlDisplay(int w, int h, int index) {
        context.reset(new CcountingContext(createOffscreenContext(w, h)));
        device.context = context.get();
        device.setDisplayIndex(index);
        device.setNewWindowMetrics(Crect(0, float(w), 0, float(h)));
    }
    ~GlDisplay() { device.release(); }

    std::unique_ptr<CcountingContext> context;
    CopenGL device;
};

class GlDevice : public ::testing::Test {
  protected:
    void SetUp() override {
        REQUIRE_GL();
        display = std::make_unique<GlDisplay>(65, 66, 0);
        ASSERT_EQ(display->device.GetDeviceCapabilities(), 0) << exitMsg.c_str();
    }
    void TearDown() override { display.reset(); }
    CopenGL& dev() { return display->device; }

    TraceCapture trace{1};
    std::unique_ptr<GlDisplay> display;
};

TEST_F(GlDevice, ExtensionsMatchWholeWords) {
    std::string all = reinterpret_cast<char const*>(glGetString(GL_EXTENSIONS));
    std::string last = all.substr(all.find_last_of(' ', all.size() - 2) + 1);
    while (!last.empty() && last.back() == ' ')
        last.pop_back();
    struct Word {
        std::string name;
        int found;
    };
    for (auto const& w : {Word{"GL_ARB_multitexture", 1}, Word{"GL_ARB_texture_env_combine", 1},
                          Word{"GL_ARB_multi", 0}, Word{"multitexture", 0}, Word{"", 0},
                          Word{"GL_ARB_multitexture GL", 0}, Word{last, 1}, Word{last + "x", 0}})
        EXPECT_EQ(CheckExtension(w.name.c_str()), w.found) << "'" << w.name << "'";
}

TEST_F(GlDevice, MissingExtensionsGiveTheExactFailureTexts) {
    // No current context: the extension string is empty, as on a card without them.
    CopenGL bare;
    releaseCurrentOffscreenContext();
    doNotSendReport = 0;
    EXPECT_EQ(bare.GetDeviceCapabilities(), 1);
    EXPECT_EQ(doNotSendReport, 1);
    // The first is the exit reason; the message shown holds both, in order, apart.
    ASSERT_EQ(exitReasonList.size(), 1u);
    EXPECT_STREQ(exitReasonList[0].c_str(),
                 "Sorry, this screensaver is not supported by your graphics card.");
    EXPECT_STREQ(exitMsg.c_str(), "Sorry, this screensaver is not supported by your graphics card. "
                                  "If you feel you have a decent card, you may want to consider "
                                  "downloading the latest drivers from your graphics card vendor.");
    doNotSendReport = 0;
    dev().switchToThisRenderer(0);
}

// An image array of w x h pixels with chans channels, every byte distinct.
void fillImage(CdataArray& a, int w, int h, int chans) {
    a.init(w, h, 1, chans, 1);
    for (int i = 0; i < w * h * chans; i++)
        a.byteData[i] = static_cast<uint8_t>(17 + i * 7);
}

TEST_F(GlDevice, TexturesOfOneToFourChannelsReadBackExactly) {
    GLenum const formats[] = {GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_RGB, GL_RGBA};
    for (int chans = 1; chans <= 4; chans++) {
        SCOPED_TRACE(chans);
        CdataArray array;
        fillImage(array, 3, 2, chans); // rows of 3 to 9 bytes: not multiples of four
        CtextureImage image;
        ASSERT_EQ(dev().imageTotexMap(&image, &array), 0);
        ASSERT_NE(image.deviceTextures[0], nullptr);
        glBindTexture(GL_TEXTURE_2D, image.deviceTextures[0]->name);
        GLint internal = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &internal);
        EXPECT_EQ(GLenum(internal), formats[chans - 1]);
        uint8_t back[3 * 2 * 4] = {};
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, formats[chans - 1], GL_UNSIGNED_BYTE, back);
        EXPECT_EQ(std::memcmp(back, array.byteData, size_t(3 * 2 * chans)), 0);
        glBindTexture(GL_TEXTURE_2D, 0);
        dev().freeTexture(&image, 1);
        EXPECT_TRUE(dev().textures.empty());
    }
}

TEST_F(GlDevice, TextureUploadsThatCannotWorkAreRefused) {
    CdataArray bytes, five, floats, wide;
    fillImage(bytes, 4, 4, 3);
    five.init(2, 2, 1, 5, 1);
    floats.init(2, 2, 1, 4, 4);
    fillImage(wide, 4, 1, 1);
    CopenGL unplaced; // no display index: nowhere to keep the name
    unplaced.context = display->context.get();
    struct Case {
        char const* what;
        CopenGL* device;
        CdataArray* array;
        int maxWidth;
        int result;
    };
    Case const cases[] = {
        {"no array", &dev(), nullptr, 0, 1},          {"five channels", &dev(), &five, 0, 1},
        {"float samples", &dev(), &floats, 0, 1},     {"wider than the device", &dev(), &wide, 3, 1},
        {"no display slot", &unplaced, &bytes, 0, 1}, {"a usable one", &dev(), &bytes, 0, 0},
    };
    int const savedWidth = maxTexWidth;
    for (auto const& c : cases) {
        recommendReinstall = 0;
        if (c.maxWidth) maxTexWidth = c.maxWidth;
        CtextureImage image;
        EXPECT_EQ(c.device->imageTotexMap(&image, c.array), c.result) << c.what;
        maxTexWidth = savedWidth;
        bool made = false;
        for (auto* slot : image.deviceTextures)
            made = made || slot != nullptr;
        EXPECT_EQ(made, c.result == 0) << c.what;
        EXPECT_EQ(recommendReinstall, c.array ? 0 : 1) << c.what;
        c.device->freeTexture(&image, 1);
    }
    EXPECT_TRUE(dev().textures.empty());
    unplaced.context = nullptr;
}

// A camera at the origin looking down -z with a square unit field of view and no bars.
void squareCamera(CopenGL& d) {
    Crect unit(-1, 1, -1, 1);
    d.calcAllFovRectsAndLetterboxing(unit, unit, unit);
    d.viewCamera = CviewCamera{};
    d.viewCamera.nearZ = 1;
    d.viewCamera.farZ = 50;
}

TEST_F(GlDevice, StereoEyesFillTheLowerAndUpperHalves) {
    squareCamera(dev());
    dev().change3Dmode(1);
    dev().cameraToRenderer();
    CglslShader points;
    ASSERT_EQ(points.build(&dev(), "points", kPointVertex, kPointFragment), 0);
    unsigned program = points.program[0];
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    // Each point lies straight ahead of one eye (eyes at x -0.3 and +0.3, z -0.3, turned in
    // by 0.027), so it lands on the centre of that eye's half and not on the other's.
    float k = 5;
    glViewport(0, 0, 65, 33);
    drawPoint(program, dev().viewProjection, -0.3f + 0.027f * k, 0, -0.3f - k);
    glViewport(0, 33, 65, 33);
    drawPoint(program, dev().secondEyeViewProjection, 0.3f - 0.027f * k, 0, -0.3f - k);
    Frame f = readFrame(*display->context);
    EXPECT_EQ(f.litCount(), 2);
    EXPECT_EQ(f.at(32, 16)[0], 255);
    EXPECT_EQ(f.at(32, 49)[0], 255);
    dumpFrameIfFailed(f);
}

TEST_F(GlDevice, FogSwitchesAndDrawStateResets) {
    struct Fade {
        float fade;
        bool on;
    };
    for (Fade f : {Fade{1.2f, false}, Fade{0.5f, true}, Fade{0.999f, false}, Fade{-3, true}}) {
        dev().setFogFade(f.fade);
        EXPECT_EQ(bool(glIsEnabled(GL_FOG)), f.on) << f.fade;
        if (!f.on) continue;
        GLfloat end = 0;
        glGetFloatv(GL_FOG_END, &end);
        EXPECT_EQ(end, 25.0f);
    }
    glEnable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glEnableVertexAttribArray(3);
    dev().depthWriteState = 1;
    dev().geoToDisplay(nullptr);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    GLint enabled = 1;
    glGetVertexAttribiv(3, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
    EXPECT_EQ(enabled, 0);
    EXPECT_EQ(dev().polygonModeState, -1);
    EXPECT_EQ(dev().depthWriteState, -1);
    EXPECT_EQ(dev().texUnitsInUse, 0);
    EXPECT_EQ(dev().boundTexture[7], ~0u);
}

TEST_F(GlDevice, GlErrorsAreNamedWithoutEndingTheProcess) {
    EXPECT_EQ(checkGLerror("quiet"), 0u);
    EXPECT_TRUE(exitReasonList.empty());
    glEnable(0x1234); // not a capability
    EXPECT_EQ(checkGLerror("enable"), unsigned(GL_INVALID_ENUM));
    ASSERT_FALSE(exitReasonList.empty());
    EXPECT_STREQ(exitReasonList[0].c_str(), "GL_INVALID_ENUM");
    EXPECT_EQ(glGetError(), unsigned(GL_NO_ERROR));
}

TEST(GlDevices, TwoDevicesSwitchContextOnlyWhenNeeded) {
    REQUIRE_GL();
    TraceCapture trace(1);
    GlDisplay a(8, 8, 0), b(6, 4, 1);
    b.device.switchToThisRenderer(0);
    int makesA = a.context->makes, makesB = b.context->makes;
    struct Step {
        GlDisplay* display;
        int madeA, madeB; // make-current calls expected by then
    };
    Step const steps[] = {{&b, 0, 0}, {&a, 1, 0}, {&a, 1, 0}, {&b, 1, 1}, {&b, 1, 1}, {&a, 2, 1}};
    for (auto const& s : steps) {
        s.display->device.switchToThisRenderer(0);
        EXPECT_EQ(currentGL, &s.display->device);
        EXPECT_TRUE(s.display->context->isCurrent());
        EXPECT_EQ(a.context->makes - makesA, s.madeA);
        EXPECT_EQ(b.context->makes - makesB, s.madeB);
    }
    a.device.present(0);
    EXPECT_EQ(a.context->swaps, 1);
}

} // namespace
