// Float functions that need no variable tree: arithmetic, colour, text, files, random
// numbers and the message box.
#include "host/fakeHostServices.h"
#include "support/osRand.h"
#include "scriptTestSupport.h"
#include "testSupport.h"

namespace {

struct FunctionCase {
    char const* text;
    double value;
};

class SolverFunctions : public SolverTest, public ::testing::WithParamInterface<FunctionCase> {};

TEST_P(SolverFunctions, Evaluates) {
    int r = -1;
    double v = solveF(GetParam().text, &r);
    EXPECT_EQ(r, 0) << GetParam().text << " error: " << solver.errorText.c_str();
    EXPECT_DOUBLE_EQ(v, GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Arithmetic, SolverFunctions,
                         ::testing::Values(FunctionCase{"min(3,2)", 2}, FunctionCase{"max(3,2)", 3},
                                           FunctionCase{"fit(10,20,0.25)", 12.5},
                                           FunctionCase{"min(min(5,4),3)", 3},
                                           FunctionCase{"1+max(2,3)*2", 7}, FunctionCase{"min(-999,5)", -999},
                                           FunctionCase{"max(-999,-1000)", -999},
                                           FunctionCase{"-min(1,2)", -1}, FunctionCase{"2*-max(1,2)", -4},
                                           FunctionCase{"1 + min(2, 3)", 3},
                                           FunctionCase{"max(0.1,0)", static_cast<double>(0.1f)},
                                           FunctionCase{"fit(0, 10, min(0.5, 1))", 5},
                                           FunctionCase{"min(1+2*3,(8))", 7}, FunctionCase{"xab(3)", 3}));

INSTANTIATE_TEST_SUITE_P(
    Colour, SolverFunctions,
    ::testing::Values(FunctionCase{"hsv(120,1,1,0)", 0}, FunctionCase{"hsv(120,1,1,1)", 1},
                      FunctionCase{"hsv(120,1,1,2)", 0}, FunctionCase{"hsv(30,1,1,1)", 0.5},
                      FunctionCase{"hsv(240,1,1,2)", 1}, FunctionCase{"hsv(0,0,0.4,1)", 0.4f},
                      FunctionCase{"hsv(-120,1,1,2)", 1}, FunctionCase{"hsv(0,1,1,3)", 0},
                      FunctionCase{"hsv(0,1,1,-1)", 0}));

INSTANTIATE_TEST_SUITE_P(Text, SolverFunctions,
                         ::testing::Values(FunctionCase{"atof(2.5)", 2.5},
                                           FunctionCase{"atof(\"-1e2\")", -100}, FunctionCase{"atof(x)", 0},
                                           FunctionCase{"strEq(abc,abc)", 1},
                                           FunctionCase{"strEq(abc,abd)", 0},
                                           FunctionCase{"strEq(ab,abc)", 0},
                                           FunctionCase{"strEq(\"a b\",ab)", 0}, FunctionCase{"regInt(x)", 0},
                                           FunctionCase{"exists(nosuchvar)", 0}, FunctionCase{"ndirs(x)", 0},
                                           FunctionCase{"numChildren(x)", 0}, FunctionCase{"dirNum(x)", 0}));

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
