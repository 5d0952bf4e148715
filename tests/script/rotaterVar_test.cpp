// Rotaters: choices, nearest and snapped values, redirects, stepping, masters.
#include "support/engineHooks.h"
#include "scriptTestSupport.h"
#include "script/rotaterVar.h"

namespace {

class Rotaters : public CommandTest {
  protected:
    // A rotater "r" over choices 1, 2, 3 (labels one, two, three) following "count".
    void build(char const* extraLines = "", char const* masterDecl = ":float count 2") {
        std::string text = std::string(masterDecl) +
                           " :rotater r { :set main Fish :array x 1 one :array x 2 two :array x 3 three " +
                           extraLines + " } :rotate r master count";
        ASSERT_EQ(run(text.c_str()), 0) << lastReason();
        r = static_cast<CrotaterVar*>(root.findVariable("r"));
        ASSERT_NE(r, nullptr);
        ASSERT_EQ(r->getType(), TYPE_ROTATER);
    }
    std::string shown() { return r->getElem_char(0); }

    CrotaterVar* r = nullptr;
};

TEST_F(Rotaters, RedirectsForwardAValue) {
    build(":array redirect 5 2");
    root.findVariable("count")->setElem_float(0, 5);
    EXPECT_EQ(shown(), "Fish`two");
    // Redirect arrays are no choices offered to the viewer.
    EXPECT_EQ(r->getIndexOfCurrentSelection(), 1);
}

TEST_F(Rotaters, ARedirectCycleEndsWithBadArray) {
    build(":array redirect 5 6 :array redirect 6 5");
    std::string before = shown();
    root.findVariable("count")->setElem_float(0, 5);
    EXPECT_TRUE(hasReason("bad array"));
    EXPECT_FALSE(hasReason("rotater r has no values to choose from, value was 5.000000"));
    EXPECT_EQ(shown(), before);
    EXPECT_EQ(r->findMatchingArray(6, 1), nullptr);
    // A redirect to itself is the shortest cycle.
    reset();
    build(":array redirect 9 9");
    EXPECT_EQ(r->findMatchingArray(9, 0), nullptr);
    EXPECT_TRUE(hasReason("bad array"));
}

TEST_F(Rotaters, ChangeScriptRunsOnTheMastersParent) {
    ASSERT_EQ(run(":mkdir settings { :float count 1 }"), 0);
    ASSERT_EQ(run(":rotater r { :array x 1 a :array x 2 b :script change { :s seen $r } } :rotate r master "
                  "settings/count"),
              0);
    EXPECT_EQ(text("settings/seen"), "`a");
    ASSERT_EQ(run(":rotate r next"), 0);
    EXPECT_EQ(text("settings/seen"), "`b");
}

TEST_F(Rotaters, ASingleElementChoiceIsABadArray) {
    ASSERT_EQ(run(":float count 1 :rotater r { :array x 1 one :array x 2 }"), 0);
    ASSERT_EQ(run(":rotate r master count"), 0);
    auto* rot = static_cast<CrotaterVar*>(root.findVariable("r"));
    EXPECT_STREQ(rot->getElem_char(0), "`one");
    EXPECT_EQ(run(":rotate r next"), 2);
    EXPECT_TRUE(hasReason("bad array"));
    EXPECT_STREQ(rot->getElem_char(0), "`one");
}

TEST_F(Rotaters, TextFirstElementsNeverLoop) {
    // The first array is no number; an int master cannot hold the first numeric value
    // exactly. Both used to snap the master again and again.
    ASSERT_EQ(run(":int count 0 :rotater r { :array x abc text :array x 0.5 half :array x 3 three }"), 0);
    ASSERT_EQ(run(":rotate r master count"), 0);
    auto* rot = static_cast<CrotaterVar*>(root.findVariable("r"));
    EXPECT_STREQ(rot->getElem_char(0), "`half");
    EXPECT_EQ(number("count"), 0);
}

TEST_F(Rotaters, RotatersThatFollowEachOtherStop) {
    ASSERT_EQ(run(":rotater a { :array x 0 zero } :rotater b { :array x 0 nil }"), 0);
    auto* a = static_cast<CrotaterVar*>(root.findVariable("a"));
    auto* b = static_cast<CrotaterVar*>(root.findVariable("b"));
    a->setMaster(b);
    b->setMaster(a);
    EXPECT_STREQ(a->getElem_char(0), "`zero");
    EXPECT_STREQ(b->getElem_char(0), "`nil");
    a->setMaster(a);
    EXPECT_EQ(a->master, nullptr);
    b->setMaster(nullptr);
}

TEST_F(Rotaters, MasterOrRotaterGoingAway) {
    build();
    ASSERT_EQ(run(":delete count"), 0);
    EXPECT_EQ(r->master, nullptr);
    r->rotate(1); // nothing to step
    EXPECT_EQ(r->getIndexOfCurrentSelection(), -1);

    ASSERT_EQ(run(":float other 1 :rotate r master other"), 0);
    Cvariable* other = root.findVariable("other");
    EXPECT_NE(other->getSlave("rotater"), nullptr);
    ASSERT_EQ(run(":delete r"), 0);
    EXPECT_EQ(other->getSlave("rotater"), nullptr);
    other->setElem_float(0, 2); // tells nobody
}

// A value off every choice shows the nearest, but 0 snaps the master to the first choice,
// even where another is nearer.
TEST_F(Rotaters, ZeroSnapsToTheFirstChoice) {
    struct {
        float value;
        char const* shows;
        float masterAfter;
    } const cases[] = {{0.0f, "Fish`three", 3.0f}, {0.4f, "Fish`one", 0.4f}, {2.6f, "Fish`three", 2.6f}};
    for (auto const& c : cases) {
        reset();
        root.deleteChildren();
        ASSERT_EQ(run(":float count 1 :rotater r { :set main Fish :array x 3 three :array x 1 one } "
                      ":rotate r master count"),
                  0);
        r = static_cast<CrotaterVar*>(root.findVariable("r"));
        ASSERT_NE(r, nullptr);
        Cvariable* count = root.findVariable("count");
        count->setElem_float(0, c.value);
        EXPECT_EQ(shown(), c.shows) << c.value;
        EXPECT_FLOAT_EQ(static_cast<float>(count->getElem_float(0)), c.masterAfter) << c.value;
    }
}

TEST_F(Rotaters, SettingChangesAreReported) {
    static std::vector<Cvariable*> told;
    told.clear();
    engineHooks.rotaterSettingChanged = [](Cvariable* v) { told.push_back(v); };
    build();
    ASSERT_EQ(run(":rotate r next :rotate r set 1 :rotate r refresh"), 0);
    engineHooks.rotaterSettingChanged = nullptr;
    Cvariable* count = root.findVariable("count");
    EXPECT_EQ(told, (std::vector<Cvariable*>{count, count}));
}

} // namespace
