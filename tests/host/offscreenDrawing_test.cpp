// Drawing offscreen: the GL context layer's refusals, the notice screens and their text
// layout, and the drawn cursor (hot spot, texture made once, GL state left as it was).
#include <memory>
#include <string>
#include <vector>

#include "host/noticeScreens.h"
#include "host/noticeText.h"
#include "host/pseudoCursor.h"
#include "offscreenTestSupport.h"

namespace {

TEST(GlContext, RefusesImpossibleRequests) {
    REQUIRE_OFFSCREEN();
    struct Size {
        int w, h;
    };
    for (Size s : {Size{0, 4}, Size{4, 0}, Size{-3, 2}}) {
        EXPECT_EQ(createOffscreenContext(s.w, s.h), nullptr) << s.w << "x" << s.h;
        EXPECT_FALSE(lastContextError().empty());
    }
    std::unique_ptr<CglContext> c(createOffscreenContext(4, 4));
    ASSERT_TRUE(c);
    EXPECT_TRUE(lastContextError().empty());
    uint8_t buf[4 * 4 * 4];
    struct Block {
        int x, y, w, h;
    };
    for (Block b : {Block{0, 0, 5, 1}, Block{-1, 0, 1, 1}, Block{3, 3, 2, 1}, Block{0, 0, 0, 1}})
        EXPECT_EQ(c->readPixels(b.x, b.y, b.w, b.h, buf), 1) << b.x << "," << b.y << " " << b.w << "x" << b.h;
    EXPECT_EQ(c->readPixels(0, 0, 1, 1, nullptr), 1);
}

TEST(GlContext, WindowContextWithoutXServerFailsCleanly) {
    EXPECT_EQ(createWindowContext(":987", 64, 64, "test"), nullptr);
    EXPECT_EQ(lastContextError(), "cannot open X display");
    EXPECT_EQ(createWindowContext(nullptr, 0, 64, "test"), nullptr);
    EXPECT_FALSE(lastContextError().empty());
}

TEST(NoticeScreens, ErrorTextLayout) {
    struct Case {
        double width;
        int length, perLine, lastLine;
    } cases[] = {
        {600, 100, 92, 1}, // 92 + 8 characters
        {600, 92, 92, 1},  // an exact fit still draws one (empty) line more
        {65, 30, 10, 3},   {7, 3, 1, 3},
        {6.9, 5, 1, 5}, // under 7 wide: one character per line, never a division by zero
        {-20, 5, 1, 5},    {600, -3, 92, 0},
    };
    for (auto const& c : cases) {
        CerrorTextLayout layout = errorTextLayout(c.width, c.length);
        EXPECT_EQ(layout.charsPerLine, c.perLine) << c.width;
        EXPECT_EQ(layout.lastLine, c.lastLine) << c.width << " " << c.length;
    }
}

// Text pixels (the notice colour, 0.9 0.9 0.7) in the rows [y0, y1).
int textPixels(std::vector<uint8_t> const& px, int w, int y0, int y1) {
    int n = 0;
    for (int y = y0; y < y1; y++)
        for (int x = 0; x < w; x++) {
            uint8_t const* p = &px[size_t((y * w + x) * 4)];
            if (p[0] >= 228 && p[0] <= 231 && p[1] == p[0] && p[2] >= 177 && p[2] <= 180) n++;
        }
    return n;
}

TEST(NoticeScreens, RedErrorScreenWithHeadingAndOneLinePerPiece) {
    REQUIRE_OFFSCREEN();
    int const w = 130, h = 100; // 20 characters per line
    std::unique_ptr<CglContext> c(createOffscreenContext(w, h));
    ASSERT_TRUE(c);
    ASSERT_FALSE(windowSystemFontsInUse());
    drawNoticeScreen(2, w, h, ""); // the close-and-re-open screen: its own blue
    auto px = readAll(*c);
    EXPECT_EQ(px[2], 128);
    drawNoticeScreen(1, w, h, "couldn't locate resources!");
    px = readAll(*c);
    // The clear colour where no text is (0.5 of 255 rounds to 127 or 128).
    EXPECT_NEAR(px[0], 127.5, 0.6);
    EXPECT_EQ(px[1], 0);
    EXPECT_EQ(px[2], 0);
    EXPECT_GT(textPixels(px, w, 90, h), 0) << "heading";
    EXPECT_GT(textPixels(px, w, 80, 87), 0) << "first line";
    EXPECT_GT(textPixels(px, w, 66, 73), 0) << "second line (the last 7 characters)";
    EXPECT_EQ(textPixels(px, w, 0, 66), 0) << "no third line";
    EXPECT_EQ(textPixels(px, w, 73, 80), 0);
    GLint mode = 0, depth = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(depth, 1) << "the HUD matrices are popped";
}

// An 8 x 8 picture: white, with a red top-left pixel, opaque.
std::vector<uint8_t> marked() {
    std::vector<uint8_t> p(8 * 8 * 4, 255);
    p[1] = p[2] = 0;
    return p;
}

TEST(PseudoCursor, HotSpotOnThePointerStateRestoredAndTextureKept) {
    REQUIRE_OFFSCREEN();
    int const w = 64, h = 60;
    std::unique_ptr<CglContext> c(createOffscreenContext(w, h));
    ASSERT_TRUE(c);
    struct Case {
        double hotX, hotY, x, y;
        bool depthOn;
    } cases[] = {{4, 4, 20, 30, true}, {0, 0, 20, 30, false}, {7, 2, 40, 10, false}};
    for (auto const& k : cases) {
        CpseudoCursor cursor(marked(), 8, 8, k.hotX, k.hotY, c.get());
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        k.depthOn ? glEnable(GL_DEPTH_TEST) : glDisable(GL_DEPTH_TEST);
        glMatrixMode(GL_MODELVIEW);
        glTranslatef(1, 2, 3);
        glMatrixMode(GL_PROJECTION);
        glScalef(2, 2, 2);
        GLfloat modelBefore[16], projBefore[16], modelAfter[16], projAfter[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, modelBefore);
        glGetFloatv(GL_PROJECTION_MATRIX, projBefore);
        drawCursor(cursor, k.x, k.y, w, h);
        unsigned first = cursor.texName();
        EXPECT_NE(first, 0u);
        std::vector<uint8_t> px = readAll(*c);
        // The picture's top-left pixel: hot-spot pixels left of and above the pointer
        // (rows counted upward in the framebuffer).
        int left = int(k.x - k.hotX), top = int(k.y + k.hotY) - 1;
        auto at = [&](int x, int y) { return &px[size_t((y * w + x) * 4)]; };
        EXPECT_EQ(at(left, top)[0], 255);
        EXPECT_EQ(at(left, top)[1], 0) << "red corner at " << left << "," << top;
        EXPECT_EQ(at(left + 7, top - 7)[1], 255) << "white far corner";
        EXPECT_EQ(at(left - 1, top)[0], 0) << "nothing left of the picture";
        EXPECT_EQ(at(left, top + 1)[0], 0) << "nothing above the picture";
        int lit = 0;
        for (size_t i = 0; i < px.size(); i += 4)
            lit += px[i] != 0;
        EXPECT_EQ(lit, 64);

        drawCursor(cursor, 12, 12, w, h);
        EXPECT_EQ(cursor.texName(), first) << "made once per context";
        EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST), k.depthOn ? GL_TRUE : GL_FALSE);
        EXPECT_EQ(glIsEnabled(GL_BLEND), GL_FALSE);
        EXPECT_EQ(glIsEnabled(GL_TEXTURE_RECTANGLE), GL_FALSE);
        GLint mode = 0;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        EXPECT_EQ(mode, GL_PROJECTION);
        glGetFloatv(GL_MODELVIEW_MATRIX, modelAfter);
        glGetFloatv(GL_PROJECTION_MATRIX, projAfter);
        for (int i = 0; i < 16; i++) {
            EXPECT_EQ(modelAfter[i], modelBefore[i]);
            EXPECT_EQ(projAfter[i], projBefore[i]);
        }
        cursor.setImage(std::vector<uint8_t>(10), 8, 8);
        EXPECT_EQ(cursor.texName(), 0u) << "a new picture drops the texture";
        cursor.drawAtPoint(1, 1);
        EXPECT_EQ(cursor.texName(), 0u) << "a picture of the wrong size makes none";
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
}

} // namespace
