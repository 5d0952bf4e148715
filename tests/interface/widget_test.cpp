// Widgets: rectangles, colours, the focus fade, hit testing and the mouse protocol, driven
// through pane scripts and the panel's pointer routing.
#include "interfaceTestSupport.h"

#include "data/dataArray.h"

namespace {

class Widgets : public PanelFixture {};

// The anchor of a widget's rectangle: pos is its centre (0), its minimum (1) or its maximum
// (2), in x by justify and in y by vjustify, within the parent's rectangle.
TEST_F(Widgets, JustificationPutsTheNamedEdgeAtPos) {
    struct {
        int justify, vjustify;
        float minx, maxx, miny, maxy; // in the pane's 0..1 units
    } const cases[] = {
        {0, 0, 0.4f, 0.6f, 0.45f, 0.55f},
        {1, 1, 0.5f, 0.7f, 0.5f, 0.6f},
        {2, 2, 0.3f, 0.5f, 0.4f, 0.5f},
        {1, 2, 0.5f, 0.7f, 0.4f, 0.5f},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(std::to_string(c.justify) + " " + std::to_string(c.vjustify));
        CgroupWidgetVar* p =
            pane(":imageWidget arrays/white.rgb { :set name w :set pos .5 .5 :set size .2 .1 "
                 ":set justify " +
                 std::to_string(c.justify) + " :set vjustify " + std::to_string(c.vjustify) + " }");
        auto* w = widget("w");
        ASSERT_NE(w, nullptr);
        p->updateRect();
        Crect const& frame = p->rect;
        w->rectValid = 0;
        w->updateRect();
        EXPECT_NEAR(w->rect.minx, frame.minx + c.minx * frame.width(), 1e-4);
        EXPECT_NEAR(w->rect.maxx, frame.minx + c.maxx * frame.width(), 1e-4);
        EXPECT_NEAR(w->rect.miny, frame.miny + c.miny * frame.height(), 1e-4);
        EXPECT_NEAR(w->rect.maxy, frame.miny + c.maxy * frame.height(), 1e-4);
        // The quad the widget draws with lies on its rectangle.
        ASSERT_NE(w->imageBox, nullptr);
        EXPECT_NEAR(w->imageBox->cornerPosition(0)[0], w->rect.minx, 1e-4);
        EXPECT_NEAR(w->imageBox->cornerPosition(3)[1], w->rect.maxy, 1e-4);
        panel->closePane("test");
    }
}

// ":set color" gives the top colour and, with three more values, the bottom one; the quad's
// upper corners take the top, its lower corners the bottom, and without a bottom colour all
// four take the top.
TEST_F(Widgets, ColorSetsTopAndOptionallyBottom) {
    pane(":imageWidget arrays/white.rgb { :set name both :set color .8 .9 1 1 .6 .7 .8 } "
         ":imageWidget arrays/white.rgb { :set name top :set color .2 .3 .4 .5 }");
    frames(1);
    struct {
        char const* name;
        float upper[4], lower[4];
    } const cases[] = {{"both", {.8f, .9f, 1, 1}, {.6f, .7f, .8f, 1}},
                       {"top", {.2f, .3f, .4f, .5f}, {.2f, .3f, .4f, .5f}}};
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        auto* w = widget(c.name);
        ASSERT_NE(w, nullptr);
        ASSERT_NE(w->imageBox, nullptr);
        for (int corner = 0; corner < 4; corner++) {
            float const* expected = corner < 2 ? c.lower : c.upper;
            for (int k = 0; k < 4; k++)
                EXPECT_NEAR(w->imageBox->cornerColor(corner)[k], expected[k], 1e-5) << corner << " " << k;
        }
    }
}

// A widget in animation mode 1 fades to its highlight colour in three frames when it takes
// the focus and back in three frames when it loses it.
TEST_F(Widgets, FocusFadesToTheHighlightInThreeFramesAndBack) {
    pane(":imageWidget arrays/white.rgb { :set name w :animate :set color 0 0 0 1 :set pos .5 .5 :set size "
         ".2 .2 }");
    auto* w = widget<CimageWidgetVar>("w");
    ASSERT_NE(w, nullptr);
    frames(1);
    auto red = [&] { return w->imageBox->cornerColor(2)[0]; };
    EXPECT_EQ(red(), 0.0f);
    moveTo(0.5f * kWidth / kHeight, 0.5f);
    ASSERT_EQ(panel->focusWidget, w);
    std::vector<float> rising;
    for (int f = 0; f < 4; f++) {
        frames(1);
        rising.push_back(red());
    }
    EXPECT_NEAR(rising[0], 0.334f, 1e-4);
    EXPECT_NEAR(rising[1], 0.668f, 1e-4);
    EXPECT_EQ(rising[2], 1.0f) << "at the highlight after three frames";
    EXPECT_EQ(rising[3], 1.0f);
    moveTo(0.01f, 0.01f);
    EXPECT_EQ(panel->focusWidget, nullptr);
    frames(3);
    EXPECT_EQ(red(), 0.0f) << "back after three frames";
    EXPECT_EQ(w->fadeSpeed, 0.0f);
}

// Where two widgets that take the focus overlap, the later one in tree order gets the press;
// a widget that does not take the focus, or is not shown, is never hit.
TEST_F(Widgets, TheLaterOverlappingWidgetTakesThePress) {
    Cvariable* first = counter("first");
    Cvariable* second = counter("second");
    pane(":imageWidget arrays/white.rgb { :set name a :set size .4 .4 :script buttonDown { :set first 1 } } "
         ":imageWidget arrays/white.rgb { :set name b :set size .2 .2 :script buttonDown { :set second 1 } } "
         ":imageWidget arrays/white.rgb { :set name c :set size .1 .1 :set acceptsFocus 0 }");
    float cx = 0.5f * kWidth / kHeight;
    press(cx, 0.5f);
    EXPECT_EQ(panel->pressedWidget, widget("b"));
    EXPECT_EQ(first->getInt(), 0);
    EXPECT_EQ(second->getInt(), 1);
    release(cx, 0.5f);
    // Beside the smaller one only the larger is under the pointer.
    press(cx + 0.15f * kWidth / kHeight, 0.5f);
    EXPECT_EQ(panel->pressedWidget, widget("a"));
    release(cx + 0.15f * kWidth / kHeight, 0.5f);
    widget("b")->undisplay();
    press(cx, 0.5f);
    EXPECT_EQ(panel->pressedWidget, widget("a")) << "a hidden widget is not hit";
}

// The mouse protocol: each message runs its script; a click counts as handled when the
// widget has "click", or else "release"; a double click always counts.
TEST_F(Widgets, MouseMessagesRunTheirScripts) {
    Cvariable* ran = counter("ran");
    struct {
        char const* scripts;
        int code;
        int result, ran;
    } const cases[] = {
        {":script buttonDown { :set ran 1 }", MOUSE_BUTTON_DOWN, 0, 1},
        {":script click { :set ran 2 }", MOUSE_CLICK, 1, 2},
        {":script release { :set ran 3 }", MOUSE_CLICK, 1, 3},
        {":script click { :set ran 4 } :script release { :set ran 5 }", MOUSE_CLICK, 1, 4},
        {":script drag { :set ran 6 }", MOUSE_CLICK, 0, 0},
        {":script drag { :set ran 6 }", MOUSE_DRAG, 0, 6},
        {":script singleClick { :set ran 7 }", MOUSE_SINGLE_CLICK, 0, 7},
        {":script doubleClick { :set ran 8 }", MOUSE_DOUBLE_CLICK, 1, 8},
        {":script doubleClick { :set ran 8 }", MOUSE_WHEEL, 0, 0},
        {":script doubleClick { :set ran 8 }", 9, 0, 0},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(std::string(c.scripts) + " code " + std::to_string(c.code));
        ran->setInt(0);
        pane(std::string(":imageWidget arrays/white.rgb { :set name w ") + c.scripts + " }");
        panel->singleClickRegisterTime = 0.1f;
        EXPECT_EQ(widget("w")->mouseMessage(c.code, 0, 0), c.result);
        EXPECT_EQ(ran->getInt(), c.ran);
        EXPECT_EQ(panel->singleClickRegisterTime, 0.0f) << "every message ends the wait for a double click";
        panel->closePane("test");
    }
}

// A zoned picture tells its scripts the zone under the pointer through "tempInt"; one
// without its zone image runs nothing.
TEST_F(Widgets, ZonesGoToTempIntBeforeTheScriptsRun) {
    Cvariable* ran = counter("ran");
    pane(":zonedImageWidget arrays/white.rgb { :set name z :set size .4 .4 :script click { :set ran 1 } }");
    auto* zoned = widget<CactiveZoneImageWidgetVar>("z");
    ASSERT_NE(zoned, nullptr);
    EXPECT_EQ(zoned->mouseMessage(MOUSE_CLICK, 0, 0), 0);
    EXPECT_EQ(ran->getInt(), 0);
    EXPECT_EQ(host.tempInt, -1);
    EXPECT_TRUE(exitReasonList.empty()) << lastReason();

    // Zones 10 and 20, left and right halves.
    auto* zones = new CdataImage();
    zones->init(4, 2, 1, 1, 1);
    for (int y = 0; y < 2; y++)
        for (int x = 0; x < 4; x++)
            zones->byteData[y * 4 + x] = x < 2 ? 10 : 20;
    zones->setDimensionSpace(0, 0, 1);
    zones->setDimensionSpace(1, 0, 1);
    auto* ref = dynamic_cast<CdataArrayReference*>(zoned->getChild("activeZones"));
    ASSERT_NE(ref, nullptr);
    ref->setRealThing(zones);
    zoned->activeZones = zones;
    zoned->rectValid = 0;
    zoned->updateRect();
    Crect r = zoned->rect;
    EXPECT_EQ(zoned->mouseMessage(MOUSE_CLICK, r.minx + 0.1f * r.width(), r.centery()), 1);
    EXPECT_EQ(host.tempInt, 10);
    EXPECT_EQ(ran->getInt(), 1);
    zoned->mouseMessage(MOUSE_CLICK, r.minx + 0.9f * r.width(), r.centery());
    EXPECT_EQ(host.tempInt, 20);
}

// A widget made while the panel keeps the parent's aspect keeps its parent's proportions;
// the flag starts over with each pane.
TEST_F(Widgets, KeepParentAspectFollowsThePanelsFlag) {
    panel->useOriginalAspect = 1;
    CgroupWidgetVar* p = panel->showPane("test", "create", "", true);
    EXPECT_EQ(panel->useOriginalAspect, 0) << "a new pane starts without it";
    panel->useOriginalAspect = 1;
    runStringScript(p, ":imageWidget arrays/white.rgb { :set name kept :set size .2 .2 }");
    panel->useOriginalAspect = 0;
    runStringScript(p, ":imageWidget arrays/white.rgb { :set name free :set size .2 .2 }");
    panel->allWidgetsRoot->display();
    auto* kept = widget("kept");
    auto* free = widget("free");
    ASSERT_TRUE(kept && free);
    EXPECT_EQ(kept->keepParentAspect, 1);
    EXPECT_EQ(free->keepParentAspect, 0);
    p->updateRect();
    float frameAspect = p->aspect * p->rect.width() / p->rect.height();
    EXPECT_NEAR(kept->rect.width(), frameAspect * 0.2f, 1e-4);
    EXPECT_NEAR(kept->rect.height(), 0.2f, 1e-4);
    EXPECT_NEAR(free->rect.width(), 0.2f * p->rect.width(), 1e-4);
}

// A picture that cannot be found leaves the widget without a quad; nothing is drawn and
// nothing stops.
TEST_F(Widgets, AMissingPictureDrawsNothing) {
    int freeBefore = 0;
    for (int i = 3; i < panel->boxCount(); i++)
        freeBefore += panel->box(i)->owner == nullptr;
    pane(":imageWidget arrays/no_such_picture.rgb { :set name w }");
    auto* w = widget<CimageWidgetVar>("w");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->texture, nullptr);
    EXPECT_EQ(w->imageBox, nullptr);
    int freeAfter = 0;
    for (int i = 3; i < panel->boxCount(); i++)
        freeAfter += panel->box(i)->owner == nullptr;
    EXPECT_EQ(freeAfter, freeBefore);
}

} // namespace
