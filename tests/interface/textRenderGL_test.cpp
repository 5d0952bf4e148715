// A text widget drawn by the panel on an offscreen display: its texture holds the font
// strip's glyphs where the layout puts them, and the frame shows that texture where the
// widget's quad is, flat, over a black screen. A failing frame is kept as
// "<test name>.png" in the working folder.
#include "interfaceTestSupport.h"

#include <cmath>
#include <memory>

#include "data/dataArray.h"
#include "graphics/graphicsGL.h"
#include "graphics/workObject.h"
#include "host/frameFiles.h"
#include "host/glContext.h"
#include "host/glHeaders.h"
#include "interface/fishFont.h"

namespace {

constexpr int kW = 640, kH = 360;

class TextOnScreen : public PanelFixture {
  protected:
    void SetUp() override {
        PanelFixture::SetUp();
        if (HasFatalFailure() || !offscreenContextsAvailable()) return;
        context.reset(createOffscreenContext(kW, kH));
        if (!context) return;
        device.context = context.get();
        device.setDisplayIndex(0);
        device.setNewWindowMetrics(Crect(0, float(kW), 0, float(kH)));
        device.applyNewWindowMetrics();
        ASSERT_EQ(device.GetDeviceCapabilities(), 0);
        esMatrixLoadIdentity(&device.flatProjection);
        Crect const& g = device.guiViewportRect;
        esOrtho(&device.flatProjection, g.minx, g.maxx, g.miny, g.maxy, -1.0f, 30.0f);
        panel->display = &device;
        panel->changeScreenAspect();
    }
    void TearDown() override {
        // The panel's textures and buffers go while the context still exists.
        if (panel) {
            panel->unhook();
            delete panel;
            panel = nullptr;
        }
        device.InvalidateDeviceObjects();
        PanelFixture::TearDown();
    }
    // Draws the panel's shown quads as the render pass does; the frame, RGBA bottom row first.
    std::vector<uint8_t> drawPanel() {
        masterFrame++;
        device.framesRendered++; // a new frame of the device: its buffers are refreshed once
        context->makeCurrent();
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        device.guiList.setSize(100, "test");
        device.guiList.count = 0;
        device.addThingToGuiGeo(panel->workObject);
        device.geoToDisplay(nullptr);
        device.drawFlatStuff(device.guiList);
        glFinish();
        std::vector<uint8_t> px(size_t(kW) * kH * 4);
        EXPECT_EQ(context->readPixels(0, 0, kW, kH, px.data()), 0);
        return px;
    }
    void keepIfFailed(std::vector<uint8_t> const& px) {
        if (!HasFailure()) return;
        auto const* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string path = (savedCwd / (std::string(info->name()) + ".png")).string();
        writeFramePng(path.c_str(), kW, kH, px.data());
    }
    std::unique_ptr<CglContext> context;
    CopenGL device;
};

// The texture holds each glyph of "Velmora 123" where the layout puts it, as much of it as
// the strip's glyph scaled to the text's size covers, and nothing between the glyphs.
TEST_F(TextOnScreen, TheTextureHoldsTheStripsGlyphs) {
    if (!context) DISPLAY_MISSING() << "no EGL display: " << lastContextError();
    pane(":text \"Velmora 123\" { :set name t :set justify 1 }");
    auto* t = widget<CtextWidgetVar>("t");
    ASSERT_TRUE(t && t->texture && t->texture->array);
    CdataArray* a = t->texture->array;
    CfishFont* font = panel->font();
    ASSERT_NE(font, nullptr);
    float size = kH / 700.0f * panel->fontSize;
    float scale = size / static_cast<float>(font->height - 2);
    // The glyphs' spans along the line: a glyph is scale x its width, 5 x scale after the one
    // before, a blank 22 x scale.
    struct Cspan {
        int glyph;
        float x0, x1;
    };
    std::vector<Cspan> spans;
    float x = 0;
    bool first = true;
    for (unsigned char c : std::string("Velmora 123")) {
        if (c == ' ') {
            x += 22.0f * scale;
            continue;
        }
        if (!first) x += 5.0f * scale;
        first = false;
        int g = font->baseGlyph[c] - 32;
        float x0 = std::floor(x);
        spans.push_back({g, x0, x0 + scale * font->glyphWidth[g]});
        x = x0 + scale * font->glyphWidth[g];
    }
    auto texel = [&](int tx, int ty) { return a->byteData[(ty * a->res[0] + tx) * 2]; };
    for (Cspan const& s : spans) {
        SCOPED_TRACE(s.glyph);
        long strip = 0, texture = 0;
        for (int sx = font->glyphStart[s.glyph]; sx <= font->glyphStart[s.glyph] + font->glyphWidth[s.glyph];
             sx++)
            for (int sy = 1; sy < font->height - 1; sy++)
                strip += font->getScanLineAddress(sx, sy, 0)[0];
        for (int tx = static_cast<int>(s.x0); tx < static_cast<int>(std::ceil(s.x1)) && tx < a->res[0]; tx++)
            for (int ty = 0; ty < a->res[1]; ty++)
                texture += texel(tx, ty);
        // Coverage shrinks with the area.
        EXPECT_NEAR(static_cast<double>(texture) / (static_cast<double>(strip) * scale * scale), 1.0, 0.2);
    }
    long between = 0;
    for (size_t i = 0; i + 1 < spans.size(); i++)
        for (int tx = static_cast<int>(std::ceil(spans[i].x1)) + 1;
             tx < static_cast<int>(spans[i + 1].x0) - 1; tx++)
            for (int ty = 0; ty < a->res[1]; ty++)
                between += texel(tx, ty) > 64;
    EXPECT_EQ(between, 0) << "letters outside their glyphs' places";
}

// On screen the quad shows the texture: each pixel inside the widget's rectangle is the
// letters times their outline sampled there, white letters over black; outside it the
// screen stays black.
TEST_F(TextOnScreen, TheFrameShowsTheTextWhereTheWidgetIs) {
    if (!context) DISPLAY_MISSING() << "no EGL display: " << lastContextError();
    panel->fontSize = 64.0f; // about 33 pixels high on this 360-pixel display
    // The panel's points reach the display once before the text's quad moves: the quads'
    // corners must go again each frame.
    pane(":imageWidget arrays/white.rgb { :set size .1 .1 }", "earlier");
    drawPanel();
    panel->closePane("earlier");
    frames(1);
    pane(":text \"Velmora 123\" { :set name t :set color 1 1 1 1 }");
    auto* t = widget<CtextWidgetVar>("t");
    ASSERT_TRUE(t && t->texture && t->imageBox);
    frames(1);
    std::vector<uint8_t> px = drawPanel();
    CdataArray* a = t->texture->array;
    int tw = a->res[0], th = a->res[1];
    // Bilinear sample of letters x outline at (u, v), as the rasteriser filters it.
    auto expected = [&](float u, float v) {
        float fx = u * tw - 0.5f, fy = v * th - 0.5f;
        int x0 = static_cast<int>(std::floor(fx)), y0 = static_cast<int>(std::floor(fy));
        float dx = fx - x0, dy = fy - y0;
        auto at = [&](int x, int y) {
            x = (x % tw + tw) % tw, y = (y % th + th) % th;
            uint8_t const* p = &a->byteData[(y * tw + x) * 2];
            return p[0] / 255.0f * (p[1] / 255.0f);
        };
        float l = (at(x0, y0) * (1 - dx) + at(x0 + 1, y0) * dx) * (1 - dy) +
                  (at(x0, y0 + 1) * (1 - dx) + at(x0 + 1, y0 + 1) * dx) * dy;
        return 255.0f * l;
    };
    Crect const& g = device.guiViewportRect;
    Crect r = t->rect;
    int inside = 0, matching = 0, litInside = 0, litOutside = 0;
    for (int y = 0; y < kH; y++)
        for (int x = 0; x < kW; x++) {
            float gx = g.minx + (x + 0.5f) / kW * g.width(), gy = g.miny + (y + 0.5f) / kH * g.height();
            int value = px[(size_t(y) * kW + x) * 4];
            bool within = gx > r.minx && gx < r.maxx && gy > r.miny && gy < r.maxy;
            if (!within) {
                litOutside += value > 16;
                continue;
            }
            inside++;
            float u = (gx - r.minx) / r.width() * t->baseUV[0], v = (gy - r.miny) / r.height() * t->baseUV[1];
            float e = expected(u, v);
            matching += std::fabs(value - e) <= 40.0f;
            litInside += value > 128;
        }
    keepIfFailed(px);
    ASSERT_GT(inside, 2000) << "the widget covers a few thousand pixels";
    EXPECT_GT(litInside, inside / 20) << "the letters show";
    EXPECT_GT(matching, inside * 95 / 100);
    EXPECT_LT(litOutside, 20) << "nothing drawn outside the widget";
}

} // namespace
