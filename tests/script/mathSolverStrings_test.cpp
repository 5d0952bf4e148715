// String mode: pieces, quotes, groups, where a text ends, the fallback list and the
// classes of "-" and "&" that follow the mode.
#include "scriptTestSupport.h"

namespace {

struct TextCase {
    char const* text;
    char const* result;
    char const* rest; // what restOfText points at afterwards
};

class SolverStrings : public SolverTest, public ::testing::WithParamInterface<TextCase> {};

TEST_P(SolverStrings, Concatenates) {
    TextCase const& c = GetParam();
    int r = -1;
    EXPECT_EQ(solveS(c.text, &r), c.result) << c.text;
    EXPECT_EQ(r, 0) << c.text;
    EXPECT_STREQ(solver.getRestOfText(), c.rest) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SolverStrings,
    ::testing::Values(TextCase{"a b", "ab", ""}, TextCase{"\"a\" \"b\"", "ab", ""},
                      TextCase{"{a{b}}c", "abc", ""}, TextCase{"x,y", "x", "y"},
                      TextCase{"\"unclosed text", "unclosed text", ""}, TextCase{"ftoa(2.5)", "2.5", ""},
                      TextCase{"ftoa(1/3)", "0.333333", ""}, TextCase{"x ftoa(1+1)y", "x2y", ""},
                      TextCase{"langNumToCode(3)", "fr", ""}, TextCase{"langNumToCode(0)", "en", ""},
                      TextCase{"langNumToCode(8)", "it", ""}, TextCase{"langNumToCode(12)", "en", ""},
                      TextCase{"langNumToCode(-1)", "en", ""}, TextCase{"langNumToCodeXY(1)", "de", ""},
                      TextCase{"quotes(\"``hi``\")", "\"hi\"", ""}, TextCase{"quotes(a``b)", "a\"b", ""},
                      TextCase{"regStr(x)", "", ""}, TextCase{"dirName(0)", "", ""},
                      TextCase{"dcr(\"\")", "", ""}, TextCase{"ftoa(\"x\")", "ftoa(x", ""}));

TEST_F(SolverTest, ScramblerRoundTrips) {
    EXPECT_EQ(solveS("ab cd,ef"), "abcd");
    EXPECT_EQ(solver.getConsumed(), 5); // stops at the terminator
    std::string builtIn = solveS("eau()");
    EXPECT_EQ(builtIn.size(), 20u);
    EXPECT_EQ(solveS("eau"), "eau"); // without "(" it is plain text
    std::string scrambled = solveS("encrypt(\"Hello, world 42\")");
    EXPECT_NE(scrambled, "Hello, world 42");
    EXPECT_EQ(scrambled.size(), 15u);
    std::string quoted = "dcr(\"" + scrambled + "\")";
    EXPECT_EQ(solveS(quoted.c_str()), "Hello, world 42");
    EXPECT_TRUE(exitReasonList.empty()); // encrypt never ends the process
}

TEST_F(SolverTest, FallbackListWithoutSearchVariable) {
    solver.setValue("greeting", "hi there");
    solver.setValue("a-b", "dashed");
    EXPECT_EQ(solveS("$greeting!"), "hi there!");
    EXPECT_EQ(solveS("$a-b"), "dashed"); // "-" is a name character in string mode
    EXPECT_FALSE(solver.hasErrorReported());
    EXPECT_EQ(solver.getVariableString("greeting"), "hi there");
    int r = 0;
    EXPECT_EQ(solveS("<$nobody>", &r), "<>");
    EXPECT_EQ(r, 1);
    EXPECT_STREQ(solver.errorText.c_str(), "variable not found");
    solver.setValue("ratio", "0.25");
    EXPECT_FLOAT_EQ(solver.getVariableFloat("ratio"), 0.25f);
    EXPECT_EQ(solver.getVariableFloat("none"), 0.0f);
    r = 1;
    EXPECT_EQ(solveF("$x+1", &r), 1); // a float with no search variable reads 0
    EXPECT_EQ(r, 0);
    varNameList.clear();
    valueList.clear();
}

TEST_F(SolverTest, LongTextsGrowBeyondInlineStorage) {
    std::string longText(5000, 'x');
    EXPECT_EQ(solveS(longText.c_str()), longText);
    std::string manyOps;
    for (int i = 0; i < 2000; i++)
        manyOps += "+!";
    EXPECT_EQ(solveS(manyOps.c_str()), manyOps); // operators stay as text, one element each
}

// Nesting beyond the solver's depth is an error, not a stack overflow.
TEST_F(SolverTest, DeepGroupsAndCallsAreRefused) {
    std::string calls;
    for (int i = 0; i < 60; i++)
        calls += "min(1,";
    calls += "1" + std::string(60, ')');
    std::string groups = std::string(200, '{') + "x";
    int r = 0;
    solveF(calls.c_str(), &r);
    EXPECT_EQ(r, 1);
    EXPECT_TRUE(solver.hasErrorReported());
    r = 0;
    solveS(groups.c_str(), &r);
    EXPECT_EQ(r, 1);
    EXPECT_STREQ(solver.errorText.c_str(), "expression too complex");
}

} // namespace
