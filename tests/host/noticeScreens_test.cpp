// The notice screens drawn offscreen: the red error screen's colour and text lines, and the
// text layout with its guard for narrow views.
#include <memory>
#include <string>
#include <vector>

#include "host/noticeScreens.h"
#include "host/noticeText.h"
#include "offscreenTestSupport.h"

namespace {

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

} // namespace
