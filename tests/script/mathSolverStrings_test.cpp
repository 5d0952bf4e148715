// String mode: pieces, quotes, groups, where a text ends and the fallback list; "$"
// variables, "~" local constants and the tree functions, resolved from a search variable.
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
                      TextCase{"langNumToCode(12)", "en", ""}, TextCase{"langNumToCode(-1)", "en", ""},
                      TextCase{"langNumToCodeXY(1)", "de", ""}, TextCase{"quotes(\"``hi``\")", "\"hi\"", ""},
                      TextCase{"quotes(a``b)", "a\"b", ""}, TextCase{"regStr(x)", "", ""},
                      TextCase{"dirName(0)", "", ""}, TextCase{"dcr(\"\")", "", ""},
                      TextCase{"ftoa(\"x\")", "ftoa(x", ""}));

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

// An object that knows local constants, as species and tanks do.
class ConstantHolder : public CdirectoryVar {
  public:
    int getLocalConstant(Cstring name, double& value) override {
        if (name == "k") {
            value = 2.5;
            return 0;
        }
        if (name == "big") {
            value = -999;
            return 0;
        }
        return 1;
    }
};

class SolverVariables : public SolverTest {
  protected:
    void SetUp() override {
        SolverTest::SetUp();
        root = new ConstantHolder();
        root->setName("tank");
        fish = root->addDirectory("fish");
        fish->addVariableX("x", CLASS_FLOAT)->setFloat(3);
        fish->addVariableX("s", CLASS_STRING)->setString("hello");
        fish->addVariableX("a-b", CLASS_STRING)->setString("dash");
        fish->addDirectory("fins")->addVariableX("left", CLASS_FLOAT)->setFloat(1.25);
        solver.setSearchVariablePath(fish);
    }
    void TearDown() override {
        delete root;
        SolverTest::TearDown();
    }

    Cvariable* root = nullptr;
    Cvariable* fish = nullptr;
};

// Quotes keep "$" as text; "-" is a name character in string mode; a constant may hold
// -999; the fish's children were prepended, so the newest, "fins", comes first.
TEST_F(SolverVariables, VariablesConstantsAndTreeFunctions) {
    struct TextCase {
        char const *text, *result;
    } const texts[] = {{"$s world", "helloworld"}, {"\"$s\" $s", "$shello"}, {"${s}!", "hello!"},
                       {"$name", "fish"},          {"$a-b", "dash"},         {"dirName(0)", "fins"},
                       {"dirName(3)", "x"},        {"dirName(99)", ""},      {"dirName(-1)", ""}};
    for (auto const& c : texts)
        EXPECT_EQ(solveS(c.text), c.result) << c.text;
    struct FloatCase {
        char const* text;
        double value;
    } const floats[] = {{"exists(x)", 1},           {"exists(nosuchvar)", 0}, {"exists(fins/left)", 1},
                        {"numChildren(fins)", 1},   {"numChildren(x)", 0},    {"ndirs(fish)", 4},
                        {"numChildren(nosuch)", 0}, {"dirNum(fins)", 0},      {"dirNum(x)", 3},
                        {"dirNum(nosuch)", 0}};
    for (auto const& c : floats)
        EXPECT_EQ(solveF(c.text), c.value) << c.text;
    EXPECT_EQ(solveF("~k"), 2.5);
    EXPECT_EQ(solveF("-~k"), -2.5);
    EXPECT_EQ(solveF("~k*2+$x"), 8);
    EXPECT_EQ(solveF("~big"), -999);
    EXPECT_FALSE(solver.hasErrorReported());
}

TEST_F(SolverVariables, MissingVariablesAndConstantsAreErrors) {
    int r = 0;
    EXPECT_EQ(solveS("$nothing", &r), "bad eval");
    EXPECT_EQ(r, 1);
    EXPECT_STREQ(solver.errorText.c_str(), "solver couldn't find string var: nothing");
    r = 0;
    solveF("~unknown+1", &r);
    EXPECT_EQ(r, 1);
    EXPECT_TRUE(hasReason("const unknown not found"));
}

} // namespace
