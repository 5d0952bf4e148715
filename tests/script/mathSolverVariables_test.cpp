// "$" variables, "~" local constants and the tree functions, resolved from a search
// variable through the variable search.
#include "script/variableSearch.h"
#include "scriptTestSupport.h"
#include "variables/variable.h"

namespace {

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
        fish->addVariableX("y", CLASS_FLOAT)->setFloat(0.5);
        fish->addVariableX("partB", CLASS_FLOAT)->setFloat(7);
        fish->addVariableX("sel", CLASS_STRING)->setString("B");
        fish->addVariableX("s", CLASS_STRING)->setString("hello");
        fish->addVariableX("a-b", CLASS_STRING)->setString("dash");
        fish->addDirectory("fins")->addVariableX("left", CLASS_FLOAT)->setFloat(1.25);
        root->addVariableX("depth", CLASS_FLOAT)->setFloat(40);
        shop = new CdirectoryVar();
        shop->addVariableX("shopValue", CLASS_FLOAT)->setFloat(11);
        addScriptSearchPath(shop, 0);
        solver.setSearchVariablePath(fish);
    }
    void TearDown() override {
        removeScriptSearchPath(shop);
        delete shop;
        delete root;
        SolverTest::TearDown();
    }

    Cvariable* root = nullptr;
    Cvariable* fish = nullptr;
    Cvariable* shop = nullptr;
};

// Quotes keep "$" as text; "-" is a name character in string mode; a constant may hold
// -999; the fish's children were prepended, so the newest, "fins", comes first.
TEST_F(SolverVariables, VariablesConstantsAndTreeFunctions) {
    struct TextCase {
        char const *text, *result;
    } const texts[] = {{"$s world", "helloworld"}, {"\"$s\" $s", "$shello"}, {"${s}!", "hello!"},
                       {"$name", "fish"},          {"$a-b", "dash"},         {"dirName(0)", "fins"},
                       {"dirName(6)", "x"},        {"dirName(99)", ""},      {"dirName(-1)", ""}};
    for (auto const& c : texts)
        EXPECT_EQ(solveS(c.text), c.result) << c.text;
    struct FloatCase {
        char const* text;
        double value;
    } const floats[] = {{"exists(x)", 1},           {"exists(nosuchvar)", 0}, {"exists(fins/left)", 1},
                        {"numChildren(fins)", 1},   {"numChildren(x)", 0},    {"ndirs(fish)", 7},
                        {"numChildren(nosuch)", 0}, {"dirNum(fins)", 0},      {"dirNum(x)", 6},
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
