// The view hands the pointer it reads from its window to the tanks' pointer commands, in
// the view's pixels with y upward, on the display the pointer is over.
#include <memory>

#include "app/velmoraView.h"
#include "graphics/graphicsMaster.h"
#include "hostFixture.h"
#include "support/cerr.h"
#include "world/initGlobals.h"
#include "world/shopKeeper.h"
#include "world/velmoraFunctions.h"

namespace {

// An offscreen context that reports a pointer the test places (window pixels, top-down).
class CpointingContext : public CglContext {
  public:
    CpointingContext(CglContext* drawn, int w, int h) : inner(drawn) { setGeometry(0, 0, w, h); }
    int makeCurrent() override { return inner->makeCurrent(); }
    bool isCurrent() const override { return inner->isCurrent(); }
    void swap() override { inner->swap(); }
    int readPixels(int x, int y, int w, int h, uint8_t* out) override {
        return inner->readPixels(x, y, w, h, out);
    }
    bool pointerPosition(double& x, double& y) override {
        x = px, y = py;
        return known;
    }
    std::unique_ptr<CglContext> inner;
    double px = 0, py = 0;
    bool known = true;
};

using ViewPointer = HostFixture;

TEST_F(ViewPointer, ThePointerReachesTheTanksInViewPixels) {
    REQUIRE_OFFSCREEN();
    makeFolders(true);
    CglContext* drawn = createOffscreenContext(420, 40);
    ASSERT_NE(drawn, nullptr);
    auto* context = new CpointingContext(drawn, 420, 40);
    auto view = std::make_unique<CvelmoraView>(CviewRect{0, 0, 420, 40}, context, false);
    view->startAnimation();
    ASSERT_NE(shopKeeper, nullptr);
    CgraphicsAPI* mine = view->findThisAPI();
    ASSERT_NE(mine, nullptr);
    CtouchPointer& pointer = shopKeeper->touchPointers[0];
    struct {
        double x, y; // window pixels, top-down
        float previousX, currentX, currentY;
        int handed; // the frame handed a move over (the next frame processes it)
    } const steps[] = {
        {10.7, 30, 10, 10, 10, 1}, // first sight: no jump
        {25, 5, 10, 25, 35, 1},    // y turned upward
        {25, 5, 10, 25, 35, 0},    // still: nothing handed over, no motion left to process
        {500, 5, 10, 25, 35, 0},   // outside the view: ignored
    };
    for (auto const& s : steps) {
        context->px = s.x, context->py = s.y;
        view->animateOneFrame();
        EXPECT_EQ(pointer.display, mine) << s.x;
        EXPECT_FLOAT_EQ(pointer.current.x, s.currentX) << s.x;
        EXPECT_FLOAT_EQ(pointer.current.y, s.currentY) << s.x;
        EXPECT_FLOAT_EQ(pointer.previous.x, s.previousX) << s.x;
        EXPECT_EQ(pointer.updated, s.handed) << s.x;
    }
    view->stopAnimation();
    view.reset();
    freeGlobals();
}

// The wheel's turn reaches the engine in whole notches, truncated toward zero; the engine
// counts a turn of no whole notch as forward.
TEST_F(ViewPointer, TheWheelTurnsInWholeNotches) {
    REQUIRE_OFFSCREEN();
    makeFolders(true);
    auto view =
        std::make_unique<CvelmoraView>(CviewRect{0, 0, 64, 32}, createOffscreenContext(64, 32), false);
    view->startAnimation();
    ASSERT_NE(shopKeeper, nullptr);
    struct {
        double deltaY;
        float added;
    } const turns[] = {{-2.9, -1.0f}, {0.7, 1.0f}, {3.2, 1.0f}};
    for (auto const& t : turns) {
        float before = shopKeeper->wheelAccumulator;
        shopKeeper->lastWheelTime = globalTime; // a quick turn weighs 1 whatever its notches
        view->scrollWheel(t.deltaY);
        EXPECT_FLOAT_EQ(shopKeeper->wheelAccumulator - before, t.added) << t.deltaY;
    }
    view->stopAnimation();
    view.reset();
    freeGlobals();
}

} // namespace
