// The GL context layer: refusal of impossible requests, and a window context without an X
// server.
#include <memory>

#include "offscreenTestSupport.h"

namespace {

// Clears the whole framebuffer of the current context to one colour.
void clearTo(float r, float g, float b) {
    glClearColor(r, g, b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

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

} // namespace
