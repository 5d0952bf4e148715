// Float mode: numbers, signs, operators, precedence, where an expression ends, and the
// error texts of malformed expressions.
#include <cmath>
#include <cstring>

#include "solverTestSupport.h"

namespace {

struct ValueCase {
    char const* text;
    double value;
};

class SolverValues : public SolverTest, public ::testing::WithParamInterface<ValueCase> {};

TEST_P(SolverValues, Evaluates) {
    int r = -1;
    double v = solveF(GetParam().text, &r);
    EXPECT_EQ(r, 0) << GetParam().text << " error: " << solver.errorText.c_str();
    EXPECT_DOUBLE_EQ(v, GetParam().value) << GetParam().text;
    EXPECT_FALSE(solver.hasErrorReported());
    EXPECT_TRUE(exitReasonList.empty()) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Constants, SolverValues,
                         ::testing::Values(ValueCase{"3", 3}, ValueCase{"((3))", 3}, ValueCase{"-3", -3},
                                           ValueCase{"(-3)", -3}, ValueCase{"-(3)", -3},
                                           ValueCase{"-(-3)", 3}, ValueCase{"+3", 3}, ValueCase{"3+", 3},
                                           ValueCase{" 2.5 ", 2.5}, ValueCase{".5", 0.5},
                                           ValueCase{"1e3", 1000}, ValueCase{"abc-1", -1},
                                           ValueCase{"ab(3)", 3}));

INSTANTIATE_TEST_SUITE_P(
    Precedence, SolverValues,
    ::testing::Values(ValueCase{"1+2*3", 7}, ValueCase{"2+3*4", 14}, ValueCase{"8-2-1", 5},
                      ValueCase{"2^3^2", 64}, ValueCase{"(1+2)*3", 9}, ValueCase{"2*-3", -6},
                      ValueCase{"((1+2)*(3+4))", 21}, ValueCase{"(2+3)*(4)", 20}, ValueCase{"1 + 2", 3},
                      ValueCase{"8/4/2", 1}, ValueCase{"2e-3", -1}, ValueCase{"7 % 3 + 1", 3},
                      ValueCase{"10 % 4", 2}, ValueCase{"1+2>2", 1}, ValueCase{"1 < 2 == 1", 1},
                      ValueCase{"1+2+3+4+5+6+7+8+9+10+11+12+13", 91},
                      ValueCase{"1*2*3*4*5*6*7*8*9*10*11*12*13", 6227020800.0}));

INSTANTIATE_TEST_SUITE_P(
    Operators, SolverValues,
    ::testing::Values(ValueCase{"5 & 3", 1}, ValueCase{"6 & 3", 2}, ValueCase{"5 ! 4", 0},
                      ValueCase{"5 ! 2", 1}, ValueCase{"3 == 3", 1}, ValueCase{"3 = 3", 1},
                      ValueCase{"3 != 3", 0}, ValueCase{"3 != 4", 1}, ValueCase{"2 >= 2", 1},
                      ValueCase{"2 <= 1", 0}, ValueCase{"2 > 1", 1}, ValueCase{"2 < 1", 0},
                      ValueCase{"0.5 || 0", 1}, ValueCase{"0 | 0", 0}, ValueCase{"1 && 0", 0},
                      ValueCase{"2 && 3", 1}, ValueCase{"-7.9 & 15", 9}));

// A sign before a group negates the whole group; "+" before a value is accepted.
INSTANTIATE_TEST_SUITE_P(SignedGroups, SolverValues,
                         ::testing::Values(ValueCase{"-(1+2)", -3}, ValueCase{"-(1+2)*2", -6},
                                           ValueCase{"2*-(1+2)", -6}, ValueCase{"+(1+2)", 3},
                                           ValueCase{"4-(1+2)", 1}, ValueCase{"-(2*(1+2))", -6},
                                           ValueCase{"--3", 3}, ValueCase{"2*+3", 6}, ValueCase{"-2^2", 4}));

// ---- malformed expressions ----

struct ErrorCase {
    char const* text;
    char const* errorText;  // the solver's error text, or null when only an exit reason is raised
    char const* exitReason; // the exit reason recorded, or null for none
};

class SolverErrors : public SolverTest, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(SolverErrors, ReportsExactText) {
    ErrorCase const& c = GetParam();
    int r = 0;
    solveF(c.text, &r);
    EXPECT_EQ(r, 1) << c.text;
    if (c.errorText) {
        EXPECT_STREQ(solver.errorText.c_str(), c.errorText) << c.text;
    }
    if (c.exitReason) {
        ASSERT_FALSE(exitReasonList.empty()) << c.text;
        EXPECT_STREQ(exitReasonList[0].c_str(), c.exitReason) << c.text;
    } else {
        EXPECT_TRUE(exitReasonList.empty()) << c.text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Syntax, SolverErrors,
    ::testing::Values(ErrorCase{"abc*2", "Juxtaposed operators with no values between", nullptr},
                      ErrorCase{"3**2", "Juxtaposed operators with no values between", nullptr},
                      ErrorCase{"*3", "Juxtaposed operators with no values between", nullptr},
                      ErrorCase{"1+\"2\"", "Unexpected Quote", nullptr},
                      ErrorCase{"", "bs", "incorrect float equation "},
                      ErrorCase{"   ", "bs", "incorrect float equation "},
                      ErrorCase{"1 2", "bs", "incorrect float equation ab"},
                      ErrorCase{"2+-*3", "bs", "incorrect float equation -*b"},
                      ErrorCase{"abc+1", nullptr, "symbolized equation has unknown symbol abc+1"},
                      ErrorCase{"~k", nullptr, "const k not found"},
                      ErrorCase{"1+2+3+4+5+6+7+8+9+10+11+12+13+14", "expression too complex", nullptr},
                      ErrorCase{"((((((((((((((((((((((((((1+1))))))))))))))))))))))))))",
                                "expression too complex", nullptr},
                      ErrorCase{"min(\"x\",2)", "function failed", nullptr}));

} // namespace
