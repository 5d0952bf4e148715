// Groups, lists and sliders: when a list scrolls, how it eases and where it places its
// items, the scroll bar and the value knob under the pointer, bindings and the idle time-out.
#include "interfaceTestSupport.h"

#include <cmath>

namespace {

class Groups : public PanelFixture {
  protected:
    // A list of n picture items of height h with the given gap, half the screen high.
    CgroupWidgetVar* list(int n, char const* h, char const* gap) {
        std::string script = ":group_list { :set name list :set size .5 .5 :set spacing " + std::string(gap);
        for (int i = 0; i < n; i++)
            script += " :imageWidget arrays/white.rgb { :set name item" + std::to_string(i) +
                      " :set size .8 " + h + " }";
        pane(script + " }");
        return widget<CgroupWidgetVar>("list");
    }
};

// A list whose items and gaps sum to exactly its height stays a list; one that sums to more
// scrolls, with a scroll bar and a wheel step of 0.2 / (total - 1).
TEST_F(Groups, AListScrollsOnlyWhenTallerThanItself) {
    struct {
        int n;
        char const *h, *gap;
        bool scrolls;
        float total;
    } const cases[] = {
        {4, ".25", "0", false, 1.0f},
        {2, ".4375", ".125", false, 1.0f},
        {5, ".25", "0", true, 1.25f},
        {3, ".375", ".0625", true, 1.25f},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(std::to_string(c.n) + " x " + c.h + " gap " + c.gap);
        panel->wheelStep = 0.1f;
        CgroupWidgetVar* l = list(c.n, c.h, c.gap);
        ASSERT_NE(l, nullptr);
        frames(1);
        EXPECT_FLOAT_EQ(l->total, c.total);
        EXPECT_EQ(l->layoutKind, c.scrolls ? LAYOUT_SCROLLING : LAYOUT_LIST);
        EXPECT_EQ(widget("vertSlider") != nullptr, c.scrolls);
        EXPECT_EQ(panel->verticalSlider != nullptr, c.scrolls);
        EXPECT_FLOAT_EQ(panel->wheelStep, c.scrolls ? 0.2f / (c.total - 1.0f) : 0.1f);
        panel->closePane("test");
        frames(1);
    }
}

// The window over a scrolling list is one list high: at scroll 1 the first item's top meets
// the list's top, at scroll 0 the last item's bottom meets its bottom, and items outside
// the window are not shown.
TEST_F(Groups, ScrollMovesTheWindowOverTheItems) {
    CgroupWidgetVar* l = list(8, ".25", "0");
    ASSERT_NE(l, nullptr);
    frames(1);
    ASSERT_EQ(l->layoutKind, LAYOUT_SCROLLING);
    for (float s : {1.0f, 0.0f, 0.5f}) {
        SCOPED_TRACE(s);
        l->scroll = l->targetScroll = s;
        l->needsUpdating();
        frames(1);
        Crect const& r = l->rect;
        float window = (1.0f - s) * (l->total - 1.0f); // list units above the window
        for (int i = 0; i < 8; i++) {
            auto* item = widget(("item" + std::to_string(i)).c_str());
            float top = r.maxy - (0.25f * static_cast<float>(i) - window) * r.height();
            EXPECT_NEAR(item->rect.maxy, top, 1e-4) << i;
            bool inside = item->rect.maxy > r.miny + 1e-4 && item->rect.miny < r.maxy - 1e-4;
            EXPECT_EQ(item->isDisplayed(), inside) << i;
        }
    }
}

// A wheel notch moves the target; the list eases there at a rate that grows by 0.04 a frame
// up to 0.25 and snaps when within 0.0003.
TEST_F(Groups, TheWheelEasesTheListToItsTarget) {
    CgroupWidgetVar* l = list(8, ".25", "0");
    frames(1);
    float step = panel->wheelStep;
    ASSERT_NEAR(step, 0.2f, 1e-6);
    moveTo(l->rect.centerx(), l->rect.centery());
    ASSERT_NE(panel->focusWidget, nullptr);
    EXPECT_EQ(panel->mouseWheel(-1), 1);
    EXPECT_FLOAT_EQ(l->targetScroll, 1.0f - step);
    float expected = 1.0f, rate = 0.0f;
    int frame = 0;
    for (; frame < 60 && l->scroll != l->targetScroll; frame++) {
        frames(1);
        rate = std::min(rate + 0.04f, 0.25f);
        expected = rate * l->targetScroll + (1.0f - rate) * expected;
        if (std::fabs(expected - l->targetScroll) < 0.0003f) expected = l->targetScroll;
        EXPECT_NEAR(l->scroll, expected, 1e-5) << "frame " << frame;
    }
    EXPECT_EQ(l->scroll, l->targetScroll);
    EXPECT_GT(frame, 6) << "the rate reached its limit before the list arrived";
    // A widget with "ignoreWheel" keeps the wheel for the tank.
    pane(":imageWidget arrays/white.rgb { :set name quiet :set size .1 .1 :set pos .05 .05 :int ignoreWheel "
         "1 }",
         "other");
    moveTo(0.05f * kWidth / kHeight, 0.05f);
    ASSERT_EQ(panel->focusWidget, widget("quiet"));
    EXPECT_EQ(panel->mouseWheel(1), 0);
}

// Dragging the thumb sets the scroll at once (no easing), clamped to 0..1.
TEST_F(Groups, DraggingTheThumbScrollsAtOnceWithinRange) {
    CgroupWidgetVar* l = list(8, ".25", "0");
    frames(2);
    auto* bar = widget<CverticalSlider>("vertSlider");
    auto* thumb = widget("vslider");
    ASSERT_TRUE(bar && thumb);
    ASSERT_NE(thumb->imageBox, nullptr);
    EXPECT_EQ(thumb->imageBox->boxNumber, 2);
    EXPECT_EQ(widget("vsliderBG")->imageBox->boxNumber, 1);
    float x = thumb->rect.centerx(), y = thumb->rect.centery();
    press(x, y);
    ASSERT_EQ(panel->pressedWidget, thumb);
    float span = bar->rect.height() * bar->trackLength;
    moveTo(x, y - 0.25f * span);
    EXPECT_NEAR(l->scroll, 0.75f, 1e-4);
    EXPECT_EQ(l->scroll, l->targetScroll);
    moveTo(x, y - 3.0f * span);
    EXPECT_EQ(l->scroll, 0.0f);
    moveTo(x, y + 3.0f * span);
    EXPECT_EQ(l->scroll, 1.0f);
    release(x, y);
}

// A scroll bar given no size keeps the one it had, and one without its parts or its list
// takes no message: both are traced, nothing stops.
TEST_F(Groups, AScrollBarRefusesWhatItCannotUse) {
    CgroupWidgetVar* l = list(8, ".25", "0");
    frames(1);
    auto* bar = widget<CverticalSlider>("vertSlider");
    ASSERT_NE(bar, nullptr);
    float track = bar->trackLength;
    bar->setSliderSize(0.0f);
    EXPECT_EQ(bar->trackLength, track);
    CverticalSlider loose;
    float scroll = l->scroll;
    loose.sliderMouseMessage(MOUSE_WHEEL, 0, 0.5f);
    loose.parentWidget = l;
    loose.sliderMouseMessage(MOUSE_DRAG, 0, 0.5f);
    EXPECT_EQ(l->scroll, scroll);
    EXPECT_TRUE(exitReasonList.empty()) << lastReason();
}

// A knob bound to a number sits in the middle of its track for the middle of its range;
// dragged by the pointer it writes the value of the range under it and runs "change"; past
// either end it writes that end.
TEST_F(Groups, AValueKnobDraggedByThePointerSetsItsVariable) {
    struct Case {
        float min, max, middle, quarterLower;
    } const cases[] = {{0, 10, 5, 2.5f}, {20, 40, 30, 25}, {-10, 10, 0, -5}};
    for (auto const& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.min << ".." << c.max);
        Cvariable* level = counter("changes");
        runStringScript(&scene, (":float level " + std::to_string(c.middle)).c_str());
        level = scene.getChild("level");
        pane(std::string(":group { :set name row :set size .5 .1 :valSlider $level { :set name knob :set "
                         "contents arrays/knob.rgb :set minVal ") +
             std::to_string(c.min) + " :set maxVal " + std::to_string(c.max) +
             " :set size .8 1 :script change { :set changes ($changes + 1) } } }");
        auto* knob = widget<CvalueSlider>("knob");
        auto* row = widget<CgroupWidgetVar>("row");
        ASSERT_TRUE(knob && row);
        frames(1);
        EXPECT_NEAR(knob->leftmost, 0.1f, 1e-5);
        EXPECT_NEAR(knob->rightmost, 0.9f, 1e-5);
        EXPECT_NEAR(knob->pos[0], 0.5f, 1e-5) << "the middle value sits in the middle";
        // A quarter of the track to the left: a quarter of the range lower.
        float track = row->rect.width() * 0.8f;
        float x = knob->rect.centerx(), y = knob->rect.centery();
        press(x, y);
        ASSERT_EQ(panel->pressedWidget, knob);
        moveTo(x - 0.25f * track, y);
        EXPECT_NEAR(level->getFloat(), c.quarterLower, 1e-4);
        EXPECT_NEAR(knob->pos[0], 0.3f, 1e-4) << "the knob follows its variable";
        moveTo(x + 2.0f * track, y);
        EXPECT_FLOAT_EQ(static_cast<float>(level->getFloat()), c.max);
        moveTo(x - 2.0f * track, y);
        EXPECT_FLOAT_EQ(static_cast<float>(level->getFloat()), c.min);
        release(x - 2.0f * track, y);
        EXPECT_EQ(scene.getChild("changes")->getInt(), 3);
        // Set from elsewhere, the knob moves.
        level->setFloat(c.middle);
        EXPECT_NEAR(knob->pos[0], 0.5f, 1e-5);
        panel->closePane("test");
        frames(1);
    }
}

// Bindings: "$name" and "$" with the name after it bind to a variable found upwards (an
// element with a second argument), "&" binds to a path; a missing variable stops the script
// with its exit error; "clearWidgets" changes nothing.
TEST_F(Groups, ArgumentsBindOrSetTheContents) {
    runStringScript(&scene, ":string greeting hello");
    runStringScript(&scene, ":array words a b c");
    pane(":text $greeting { :set name t1 } :text \"$\" greeting { :set name t2 } :text $words 2 { :set name "
         "t3 } "
         ":text & /greeting { :set name t4 } :imageWidget arrays/white.rgb { :set name pic } :clearWidgets");
    struct {
        char const* name;
        char const* contents;
    } const cases[] = {
        {"t1", "hello"}, {"t2", "hello"}, {"t3", "c"}, {"t4", "hello"}, {"pic", "arrays/white.rgb"}};
    for (auto const& c : cases) {
        auto* w = widget<CimageWidgetVar>(c.name);
        ASSERT_NE(w, nullptr) << c.name;
        EXPECT_STREQ(w->contents.c_str(), c.contents) << c.name;
    }
    EXPECT_EQ(panel->allWidgetsRoot->widgetList()->getChild("test")->getChild("widgets")->countChildren(), 5)
        << "clearWidgets made or removed nothing";
    // A bound text follows its variable.
    scene.getChild("greeting")->setString("bye");
    frames(1);
    EXPECT_STREQ(widget<CimageWidgetVar>("t1")->contents.c_str(), "bye");

    struct {
        char const* script;
        char const* reason;
    } const failures[] = {{":text $nothingHere", "bad var"},
                          {":valSlider & /nothing", "didn't find valSlider path"}};
    for (auto const& f : failures) {
        resetExitState();
        CgroupWidgetVar* p = panel->showPane("bad", "create", "", true);
        EXPECT_NE(runStringScript(p, f.script), 0) << f.script;
        EXPECT_EQ(lastReason(), f.reason);
    }
}

// "group" runs its block as a list and lays out freely afterwards; "group_list" stays a list.
TEST_F(Groups, GroupBlocksRunWhileTheGroupIsAList) {
    pane(":group { :set name free :animate :imageWidget arrays/white.rgb { :set name inside } } "
         ":group_list { :set name listed }");
    EXPECT_EQ(widget<CgroupWidgetVar>("free")->layoutKind, LAYOUT_FREE);
    EXPECT_EQ(widget<CgroupWidgetVar>("listed")->layoutKind, LAYOUT_LIST);
    EXPECT_EQ(widget("inside")->animationMode, 1) << "made while its group was a list";
    EXPECT_EQ(widget("free")->acceptsFocus, 0);
    EXPECT_STREQ(widget<CgroupWidgetVar>("listed")->getClassName(), "GROUP_WIDGET");
}

// A pane's idle time-out switches the panel off after that long without input, unless the
// pane has an "idleTimeoutScript", which runs instead and counts as input.
TEST_F(Groups, IdleTimeOutClosesThePaneOrRunsItsScript) {
    Cvariable* ran = counter("ran");
    for (bool withScript : {false, true}) {
        SCOPED_TRACE(withScript);
        ran->setInt(0);
        double start = globalTime;
        host.lastInput = start;
        std::string script = ":int idleOffTime 2";
        if (withScript) script += " :string idleTimeoutScript \":set ran 1\"";
        // The time-out comes from the page: the pane is shown through its page script.
        runStringScript(std_scripts, (":addScript idlePage { " + script + " }").c_str());
        CgroupWidgetVar* p = panel->showPane("idle", "/std_scripts/idlePage", "", true);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->idleTimeout, 2);
        frames(60); // one check, one second on
        EXPECT_TRUE(panel->hasPane("idle"));
        frames(120); // the next check, three seconds on
        EXPECT_EQ(panel->hasPane("idle"), withScript);
        EXPECT_EQ(ran->getInt(), withScript ? 1 : 0);
        // The script counts as input: the pane has its full time again.
        if (withScript) EXPECT_GT(host.lastInput, start + 2.0);
        panel->closePane("idle");
    }
}

// A text bound to a rotater wraps at three times its parent's width.
TEST_F(Groups, ATextBoundToARotaterWrapsWider) {
    runStringScript(
        &scene, ":float choice 1 :rotater pick { :array x 1 one :array x 2 two } :rotate pick master choice");
    pane(":text $pick { :set name t } :text plain { :set name u }");
    EXPECT_EQ(widget<CtextWidgetVar>("t")->wrapWidth, 3.0f);
    EXPECT_EQ(widget<CtextWidgetVar>("u")->wrapWidth, 1.0f);
}

} // namespace
