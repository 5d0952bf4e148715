// Float mode: numbers, signs, operators, precedence, the error texts of malformed
// expressions, and the functions that need no variable tree.
#include <vector>

#include "host/fakeHostServices.h"
#include "scriptTestSupport.h"
#include "support/osRand.h"

namespace {

// Constants, precedence, operators, and signs: one before a group negates the whole group,
// "+" before a value is accepted.
TEST_F(SolverTest, FloatExpressions) {
    std::vector<ValueCase> cases = {
        {"3", 3},           {"((3))", 3},     {"-3", -3},        {"(-3)", -3},   {"-(3)", -3},
        {"-(-3)", 3},       {"+3", 3},        {"3+", 3},         {" 2.5 ", 2.5}, {".5", 0.5},
        {"1e3", 1000},      {"abc-1", -1},    {"ab(3)", 3},      {"1+2*3", 7},   {"2+3*4", 14},
        {"8-2-1", 5},       {"2^3^2", 64},    {"(1+2)*3", 9},    {"2*-3", -6},   {"((1+2)*(3+4))", 21},
        {"(2+3)*(4)", 20},  {"1 + 2", 3},     {"8/4/2", 1},      {"2e-3", -1},   {"7 % 3 + 1", 3},
        {"10 % 4", 2},      {"1+2>2", 1},     {"1 < 2 == 1", 1}, {"5 & 3", 1},   {"6 & 3", 2},
        {"5 ! 4", 0},       {"5 ! 2", 1},     {"3 == 3", 1},     {"3 = 3", 1},   {"3 != 3", 0},
        {"3 != 4", 1},      {"2 >= 2", 1},    {"2 <= 1", 0},     {"2 > 1", 1},   {"2 < 1", 0},
        {"0.5 || 0", 1},    {"0 | 0", 0},     {"1 && 0", 0},     {"2 && 3", 1},  {"-7.9 & 15", 9},
        {"-(1+2)", -3},     {"-(1+2)*2", -6}, {"2*-(1+2)", -6},  {"+(1+2)", 3},  {"4-(1+2)", 1},
        {"-(2*(1+2))", -6}, {"--3", 3},       {"2*+3", 6},       {"-2^2", 4}};
    cases.push_back({"1+2+3+4+5+6+7+8+9+10+11+12+13", 91});
    cases.push_back({"1*2*3*4*5*6*7*8*9*10*11*12*13", 6227020800.0});
    expectValues(cases);
}

TEST_F(SolverTest, MalformedFloatExpressionsReportTheirError) {
    char const* juxtaposed = "Juxtaposed operators with no values between";
    // The solver's error text (null: not checked) and the exit reason (null: none).
    struct Case {
        char const *text, *errorText, *exitReason;
    } const cases[] = {
        {"abc*2", juxtaposed, nullptr},
        {"3**2", juxtaposed, nullptr},
        {"*3", juxtaposed, nullptr},
        {"1+\"2\"", "Unexpected Quote", nullptr},
        {"", "bs", "incorrect float equation "},
        {"   ", "bs", "incorrect float equation "},
        {"1 2", "bs", "incorrect float equation ab"},
        {"2+-*3", "bs", "incorrect float equation -*b"},
        {"abc+1", nullptr, "symbolized equation has unknown symbol abc+1"},
        {"~k", nullptr, "const k not found"},
        {"1+2+3+4+5+6+7+8+9+10+11+12+13+14", "expression too complex", nullptr},
        {"((((((((((((((((((((((((((1+1))))))))))))))))))))))))))", "expression too complex", nullptr},
        {"min(\"x\",2)", "function failed", nullptr},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.text);
        reset();
        solver.clearError();
        int r = 0;
        solveF(c.text, &r);
        EXPECT_EQ(r, 1);
        if (c.errorText) EXPECT_STREQ(solver.errorText.c_str(), c.errorText);
        EXPECT_EQ(lastReason(), c.exitReason ? c.exitReason : "");
    }
}

// Arithmetic, colour channels and text; the tree functions without a search variable give 0.
TEST_F(SolverTest, Functions) {
    std::vector<ValueCase> cases = {
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
    expectValues(cases);
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

} // namespace
