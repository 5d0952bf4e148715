// The control panel: its pool of quads, panes and pages, the history of "main_pane",
// clicks that may become double clicks, the rotater sub-menu, hiding and showing.
#include "interfaceTestSupport.h"

#include "support/traceCapture.h"
#include "world/thingFactory.h"

namespace {

class Panel : public PanelFixture {
  protected:
    // A page script of that name under /std_scripts.
    void page(char const* name, std::string const& script) {
        runStringScript(std_scripts, (std::string(":addScript ") + name + " { " + script + " }").c_str());
    }
    std::vector<std::string> paneNames() {
        std::vector<std::string> names;
        for (Cvariable* c = panel->allWidgetsRoot->widgetList()->firstChild; c; c = c->nextSibling)
            names.push_back(c->name.c_str());
        return names;
    }
};

// The pool: one quad per "panel" number of the model, named "ib<n>" in order; the first
// three are reserved, all start hidden; "menuBG" takes box 3 and other widgets the first
// free box; a widget for which no box is left is simply not drawn.
TEST_F(Panel, ThePoolHandsOutQuads) {
    ASSERT_EQ(panel->boxCount(), 80);
    EXPECT_EQ(panel->imageBoxes->firstChild->name, "ib0");
    EXPECT_EQ(panel->imageBoxes->getLastChild()->name, "ib79");
    for (int i = 0; i < panel->boxCount(); i++) {
        CimageBoxVar* b = panel->box(i);
        EXPECT_EQ(b->available, i >= 3 ? 1 : 0) << i;
        if (i > 0) EXPECT_FALSE(b->quadShown()) << i;
        EXPECT_NE(b->polyGroup, nullptr) << i;
        EXPECT_NE(b->texture(), nullptr) << "a quad's material always has a picture";
    }
    pane(":imageWidget arrays/white.rgb { :set name a } :menuBG arrays/white.rgb { :set size .1 .1 }");
    EXPECT_EQ(widget("menuBG")->imageBox, panel->box(3));
    EXPECT_EQ(widget("a")->imageBox, panel->box(4));
    EXPECT_TRUE(panel->box(4)->quadShown());
    std::string many;
    for (int i = 0; i < 90; i++)
        many += ":imageWidget arrays/white.rgb { :set name w" + std::to_string(i) + " :set size .01 .01 } ";
    pane(many, "many");
    EXPECT_EQ(panel->findFreeImageBox(), nullptr);
    EXPECT_EQ(widget("w89")->imageBox, nullptr);
    EXPECT_TRUE(exitReasonList.empty()) << lastReason();
    panel->closePane("many");
    EXPECT_NE(panel->findFreeImageBox(), nullptr) << "closing a pane gives its quads back";
    EXPECT_FALSE(panel->box(10)->quadShown());
}

// A model without the "panel" attribute, or no model at all, leaves a panel without quads
// and says why.
TEST_F(Panel, AModelWithoutQuadsIsRefused) {
    struct {
        char const* species;
        char const* reason;
    } const cases[] = {{nullptr, "panel geo not found!"}, {"target", "panel must have 'panel' attribute!"}};
    for (auto const& c : cases) {
        SCOPED_TRACE(c.reason);
        resetExitState();
        CcontrolPanel* kept = controlPanel;
        auto* other = new CcontrolPanel();
        if (c.species) {
            setThingSpecies(other, requestSpecies2(c.species, nullptr), 0);
            ASSERT_EQ(other->addRenderGeometry(), 0) << lastReason();
        }
        EXPECT_EQ(other->doExtraInit(), 1);
        EXPECT_EQ(lastReason(), c.reason);
        EXPECT_EQ(other->boxCount(), 0);
        delete other;
        controlPanel = kept;
    }
}

// Opening "main_pane" twice with the same page records it once; "*back" shows the page
// before, and with one page that page again.
TEST_F(Panel, ThePageHistory) {
    page("one", ":text one { :set name first }");
    page("two", ":text two { :set name second }");
    panel->showPane("main_pane", "/std_scripts/one", "", true);
    panel->showPane("main_pane", "/std_scripts/one", "", true);
    EXPECT_EQ(panel->numHistory, 1);
    panel->showPane("main_pane", "/std_scripts/two", "", true);
    EXPECT_EQ(panel->numHistory, 2);
    EXPECT_NE(widget("second"), nullptr);
    panel->showPane("main_pane", "*back", "", true);
    EXPECT_EQ(panel->numHistory, 1);
    EXPECT_NE(widget("first"), nullptr);
    EXPECT_EQ(widget("second"), nullptr);
    panel->showPane("main_pane", "*back", "", true);
    EXPECT_EQ(panel->numHistory, 1);
    EXPECT_NE(widget("first"), nullptr) << "with one page, back shows it again";
    EXPECT_EQ(panel->showPane("bar", "*back", "", true), nullptr) << "only the main pane goes back";
    // The main pane is sized into the screen with the background behind it.
    EXPECT_TRUE(panel->box(0)->quadShown());
    panel->closePane("main_pane");
    EXPECT_FALSE(panel->box(0)->quadShown());
}

// Closing all panes keeps "no_pane" while it is held and every pane with "noDelete".
TEST_F(Panel, ClosingAllKeepsHeldPanes) {
    page("keep", ":int noDelete 1");
    page("plain", ":text plain");
    panel->holdNoPane = 1;
    panel->showPane("kept", "/std_scripts/keep", "", true);
    panel->showPane("gone", "/std_scripts/plain", "", true);
    frames(1); // the pane just made is spared until the frame ends
    EXPECT_EQ(paneNames(), (std::vector<std::string>{"no_pane", "kept", "gone"}));
    panel->showPane("*", "off", "", true);
    EXPECT_EQ(paneNames(), (std::vector<std::string>{"no_pane", "kept"}));
    panel->holdNoPane = 0;
    panel->showPane("*", "off", "", true);
    EXPECT_EQ(paneNames(), (std::vector<std::string>{"kept"}));
    // A closed pane's widgets stay until the next update: a script may still be running.
    EXPECT_GT(panel->trash->countChildren(), 0);
    frames(1);
    EXPECT_EQ(panel->trash->countChildren(), 0);
}

// A click whose script reached the tank, on a widget with a "doubleClick", waits 0.2 s: a
// second press within it is a double click (not a press), else a single click follows.
TEST_F(Panel, AClickMayBecomeADoubleClick) {
    Cvariable* downs = counter("downs");
    Cvariable* singles = counter("singles");
    Cvariable* doubles = counter("doubles");
    pane(":imageWidget arrays/white.rgb { :set name w :set size .3 .3 :script click { :buttonUp } "
         ":script buttonDown { :set downs ($downs + 1) } :script singleClick { :set singles 1 } "
         ":script doubleClick { :set doubles 1 } }");
    float x = 0.5f * kWidth / kHeight, y = 0.5f;
    moveTo(x, y);
    press(x, y);
    release(x, y);
    EXPECT_NEAR(panel->singleClickRegisterTime, 0.2f, 1e-6);
    frames(6); // 0.1 s
    press(x, y);
    EXPECT_EQ(doubles->getInt(), 1);
    EXPECT_EQ(downs->getInt(), 1) << "the second press is no button down";
    EXPECT_EQ(singles->getInt(), 0);
    release(x, y);
    frames(20);

    doubles->setInt(0);
    singles->setInt(0);
    press(x, y);
    release(x, y);
    frames(11); // just under 0.2 s
    EXPECT_EQ(singles->getInt(), 0);
    frames(2);
    EXPECT_EQ(singles->getInt(), 1);
    EXPECT_EQ(doubles->getInt(), 0);
    // A click that did not reach the tank does not wait.
    pane(":imageWidget arrays/white.rgb { :set name v :set size .3 .3 :script click { :set downs 0 } "
         ":script doubleClick { :set doubles 1 } }",
         "other");
    moveTo(x, y);
    press(x, y);
    release(x, y);
    EXPECT_EQ(panel->singleClickRegisterTime, 0.0f);
}

// The sub-menu of a rotater: the current choice at the height of the text that opened it;
// a release within 0.5 s leaves it open, a later one on a choice picks it and closes it.
TEST_F(Panel, TheRotaterSubMenu) {
    runStringScript(&scene,
                    ":float fishCount 2 :rotater count { :array x 1 one :array x 2 two :array x 3 three "
                    ":array x 4 four } :rotate count master fishCount");
    Cvariable* done = counter("done");
    pane(":group_list { :set name list :set size .6 .6 :text $count { :set name owner :script buttonDown "
         "{ :rotate_menu } :script doneMenu { :set done 1 } } }");
    auto* owner = widget<CtextWidgetVar>("owner");
    ASSERT_NE(owner, nullptr);
    frames(1);
    float x = owner->rect.centerx(), y = owner->rect.centery();
    moveTo(x, y);
    press(x, y);
    ASSERT_TRUE(panel->hasPane("pop_up_rotater_options"));
    EXPECT_EQ(panel->subMenuOwner, owner);
    EXPECT_EQ(owner->acceptsFocus, 2) << "the pane's widgets wait";
    frames(1);
    auto* two = widget<CtextWidgetVar>("two");
    auto* three = widget<CtextWidgetVar>("three");
    ASSERT_TRUE(two && three);
    EXPECT_NEAR(two->rect.centery(), owner->rect.centery(), 0.002f)
        << "the current choice at the owner's height";
    EXPECT_GT(two->imageBox->boxNumber, owner->imageBox->boxNumber) << "the menu draws over the pane";
    globalTime += 0.2;
    release(x, y);
    EXPECT_TRUE(panel->hasPane("pop_up_rotater_options")) << "a quick release holds it open";
    moveTo(three->rect.centerx(), three->rect.centery());
    globalTime += 1.0;
    press(three->rect.centerx(), three->rect.centery());
    globalTime += 1.0;
    EXPECT_EQ(panel->pressedWidget, three);
    release(three->rect.centerx(), three->rect.centery());
    EXPECT_FALSE(panel->hasPane("pop_up_rotater_options"));
    EXPECT_EQ(scene.getChild("fishCount")->getInt(), 3);
    EXPECT_EQ(done->getInt(), 1);
    EXPECT_EQ(owner->acceptsFocus, 1);
    EXPECT_EQ(panel->subMenuOwner, nullptr);
}

// A page that is not known runs its file through the shop keeper first; still unknown it
// stops with the pane, page and file named; "create" makes an empty pane.
TEST_F(Panel, UnknownPagesAndTheirFiles) {
    struct {
        char const* script;
        char const* file;
    } const cases[] = {{"main_pane", "species/gui_panel/main_pane"},
                       {"/std_scripts/extra", "std_scripts/extra"}};
    for (auto const& c : cases) {
        resetExitState();
        host.files.clear();
        EXPECT_EQ(panel->showPane("p", "/nowhere/page", c.script, true), nullptr);
        ASSERT_EQ(host.files.size(), 1u);
        EXPECT_EQ(host.files[0], c.file);
        EXPECT_EQ(lastReason(), std::string("couldn't find script >p< >/nowhere/page< >") + c.script + "<");
    }
    resetExitState();
    EXPECT_NE(panel->showPane("q", "create", "", true), nullptr);
    EXPECT_TRUE(exitReasonList.empty());
}

// Hiding the panel keeps a script that opens its panes again and closes them; with nothing
// but "no_pane" left the tank's "panelOffScript" runs, except during a sequence change.
TEST_F(Panel, HidingAndTheNothingOpenScript) {
    page("plain", ":text plain { :set name words }");
    panel->showPane("bar", "/std_scripts/plain", "", true);
    frames(1);
    EXPECT_EQ(panel->showingPane, 1);
    EXPECT_EQ(panel->createScriptToRecreateCurrentPanes(),
              ":pane no_pane /std_scripts/no_panes_pane :pane bar /std_scripts/plain ");
    auto* words = widget("words");
    ASSERT_NE(words->imageBox, nullptr);
    CimageBoxVar* box = words->imageBox;
    panel->setDisplayed(false, false);
    EXPECT_EQ(panel->displayed, 0);
    EXPECT_FALSE(panel->hasPane("bar"));
    EXPECT_FALSE(box->quadShown());
    EXPECT_EQ(panel->recreationScript,
              ":pane no_pane /std_scripts/no_panes_pane :pane bar /std_scripts/plain ");

    Cvariable* offRuns = counter("offRuns");
    host.offScript = ":set offRuns ($offRuns + 1)";
    panel->setDisplayed(true, false);
    EXPECT_EQ(offRuns->getInt(), 1);
    EXPECT_TRUE(host.turnOffMouse);
    EXPECT_EQ(panel->showingPane, 0);
    host.changing = true;
    panel->panelOff();
    EXPECT_EQ(offRuns->getInt(), 1) << "not during a sequence change";
    EXPECT_EQ(panel->isClosing, 1);
    EXPECT_GE(host.pointerOffs, 1);
}

// "main_pane" opened right after input closes itself after 40 s without more; a pane's
// "deactivate" runs as it closes.
TEST_F(Panel, MainPaneTimeOutAndDeactivate) {
    Cvariable* closed = counter("closed");
    page("main", ":script deactivate { :set closed ($closed + 1) }");
    host.lastInput = globalTime - 0.5;
    CgroupWidgetVar* main = panel->showPane("main_pane", "/std_scripts/main", "", true);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->idleTimeout, 40);
    EXPECT_EQ(main->acceptsFocus, 1);
    panel->closePane("main_pane");
    EXPECT_EQ(closed->getInt(), 1);
    host.lastInput = globalTime - 5.0;
    main = panel->showPane("main_pane", "/std_scripts/main", "", true);
    EXPECT_EQ(main->idleTimeout, 0) << "opened without recent input";
}

// "prepSlider" keeps a list's scroll position when its pane is made again.
TEST_F(Panel, APreparedSliderKeepsTheScrollPosition) {
    std::string items;
    for (int i = 0; i < 8; i++)
        items += " :imageWidget arrays/white.rgb { :set size .8 .25 }";
    page("long", ":prepSlider :group_list { :set name list :set size .5 .5" + items + " }");
    panel->showPane("main_pane", "/std_scripts/long", "", true);
    ASSERT_NE(panel->sliderPosition, nullptr);
    frames(1);
    auto* l = widget<CgroupWidgetVar>("list");
    ASSERT_NE(l, nullptr);
    EXPECT_FLOAT_EQ(l->scroll, 1.0f);
    l->scroll = l->targetScroll = 0.25f;
    l->needsUpdating();
    frames(1);
    EXPECT_FLOAT_EQ(static_cast<float>(panel->sliderPosition->getFloat()), 0.25f);
    panel->showPane("main_pane", "/std_scripts/long", "", true);
    frames(1);
    EXPECT_FLOAT_EQ(widget<CgroupWidgetVar>("list")->scroll, 0.25f);
}

// Malformed pane scripts fail (or do nothing) without taking the panel down: it goes on
// drawing, hit testing and closing its panes.
TEST_F(Panel, MalformedPaneScripts) {
    char const* scripts[] = {
        ":valSlider",
        ":text",
        ":imageWidget $",
        ":zonedImageWidget arrays/white.rgb { :addImage activeZones arrays/none.sgi }",
        ":imageWidget arrays/white.rgb { :set pos 1 2 3 }",
        ":group_list { :panelScale 0 0 :addSlider :addSlider }",
        ":group { :update! :rotate_menu :showMat :spin }",
        ":imageWidget vslider { :set name vslider }",
        ":text customTex_nothing",
        ":group_list { :set spacing -5 :text a :text b }",
        ":valSlider & /std_scripts { :set minVal 1 :set maxVal 1 }",
        ":group { :set size 0 0 :text \"|||||\" }",
    };
    for (char const* script : scripts) {
        SCOPED_TRACE(script);
        TraceCapture trace(1);
        CgroupWidgetVar* p = panel->showPane("bad", "create", "", true);
        ASSERT_NE(p, nullptr);
        runStringScript(p, script);
        scriptError = 0;
        resetExitState();
        panel->allWidgetsRoot->display();
        for (float t : {0.1f, 0.5f, 0.9f}) {
            moveTo(t, t);
            press(t, t);
            moveTo(1 - t, t);
            panel->mouseWheel(1);
            release(1 - t, t);
            frames(1);
        }
        panel->panelOff();
        frames(1);
    }
    resetExitState();
    pane(":imageWidget arrays/white.rgb { :set name fine }");
    EXPECT_NE(widget("fine")->imageBox, nullptr) << "the panel still works";
}

} // namespace
