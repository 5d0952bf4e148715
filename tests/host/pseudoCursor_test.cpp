// The drawn cursor: its hot spot lands on the pointer pixel, the texture is made once per
// context, and the GL state around it is left as it was.
#include <memory>
#include <vector>

#include "host/pseudoCursor.h"
#include "offscreenTestSupport.h"

namespace {

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
