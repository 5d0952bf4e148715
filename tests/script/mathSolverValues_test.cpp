// Float mode: numbers, signs, operators, precedence, and the error texts of malformed
// expressions.
#include <vector>

#include "scriptTestSupport.h"

namespace {

// Constants, precedence, operators, and signs: one before a group negates the whole group,
// "+" before a value is accepted.
TEST_F(SolverTest, FloatExpressions) {
    struct Case {
        char const* text;
        double value;
    };
    std::vector<Case> cases = {
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
    for (auto const& c : cases) {
        SCOPED_TRACE(c.text);
        int r = -1;
        double v = solveF(c.text, &r);
        EXPECT_EQ(r, 0) << solver.errorText.c_str();
        EXPECT_DOUBLE_EQ(v, c.value);
        EXPECT_FALSE(solver.hasErrorReported());
        EXPECT_TRUE(exitReasonList.empty());
    }
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

} // namespace
