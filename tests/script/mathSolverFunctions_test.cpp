// Float functions that need no variable tree: arithmetic, colour, text, files, random
// numbers and the message box.
#include <vector>

#include "host/fakeHostServices.h"
#include "support/osRand.h"
#include "scriptTestSupport.h"

namespace {

// Arithmetic, colour channels and text; the tree functions without a search variable give 0.
TEST_F(SolverTest, Functions) {
    struct Case {
        char const* text;
        double value;
    };
    std::vector<Case> cases = {
        {"min(3,2)", 2},       {"max(3,2)", 3},        {"min(min(5,4),3)", 3}, {"1+max(2,3)*2", 7},
        {"min(-999,5)", -999}, {"-min(1,2)", -1},      {"2*-max(1,2)", -4},    {"1 + min(2, 3)", 3},
        {"min(1+2*3,(8))", 7}, {"xab(3)", 3},          {"hsv(120,1,1,0)", 0},  {"hsv(120,1,1,1)", 1},
        {"hsv(120,1,1,2)", 0}, {"hsv(30,1,1,1)", 0.5}, {"hsv(240,1,1,2)", 1},  {"hsv(-120,1,1,2)", 1},
        {"hsv(0,1,1,3)", 0},   {"hsv(0,1,1,-1)", 0},   {"atof(2.5)", 2.5},     {"atof(x)", 0},
        {"strEq(abc,abc)", 1}, {"strEq(abc,abd)", 0},  {"strEq(ab,abc)", 0},   {"regInt(x)", 0},
        {"ndirs(x)", 0},       {"numChildren(x)", 0},  {"dirNum(x)", 0}};
    cases.insert(cases.end(), {{"fit(10,20,0.25)", 12.5},
                               {"max(-999,-1000)", -999},
                               {"max(0.1,0)", static_cast<double>(0.1f)},
                               {"fit(0, 10, min(0.5, 1))", 5},
                               {"hsv(0,0,0.4,1)", 0.4f},
                               {"atof(\"-1e2\")", -100},
                               {"strEq(\"a b\",ab)", 0},
                               {"exists(nosuchvar)", 0}});
    for (auto const& c : cases) {
        SCOPED_TRACE(c.text);
        int r = -1;
        double v = solveF(c.text, &r);
        EXPECT_EQ(r, 0) << solver.errorText.c_str();
        EXPECT_DOUBLE_EQ(v, c.value);
    }
}

TEST_F(SolverTest, RandomNumbersAreSeededAndInRange) {
    OS::_srand(99);
    double first = solveF("rand()");
    OS::_srand(99);
    EXPECT_EQ(solveF("rand()"), first);
    for (int i = 0; i < 200; i++) {
        int r = 1;
        double v = solveF("rand()", &r);
        EXPECT_EQ(r, 0);
        EXPECT_GE(v, 0.0);
        EXPECT_LT(v, 1.0);
    }
    EXPECT_EQ(solveF("rrand()*0+1"), 1.0);
}

TEST_F(SolverTest, MessageBoxGivesTheButton) {
    CfakeHostServices host;
    uint8_t saved = skipNSAlert;
    skipNSAlert = 0;
    host.answers = {0, -1};
    EXPECT_EQ(solveF("msgbox(\"Hello there||Yes|No\")"), 1);
    EXPECT_EQ(solveF("msgbox(\"Gone||Yes|No\")"), 0); // closed without an answer
    EXPECT_EQ(host.calls.front(), "message Hello there /  [Yes|No]");
    skipNSAlert = 1;
    EXPECT_EQ(solveF("msgbox(quiet)"), 1000); // alerts off
    skipNSAlert = saved;
}

TEST_F(SolverTest, DeepCallsAreRefused) {
    std::string text;
    for (int i = 0; i < 60; i++)
        text += "min(1,";
    text += "1";
    for (int i = 0; i < 60; i++)
        text += ")";
    int r = 0;
    solveF(text.c_str(), &r);
    EXPECT_EQ(r, 1);
    EXPECT_TRUE(solver.hasErrorReported());
}

} // namespace
