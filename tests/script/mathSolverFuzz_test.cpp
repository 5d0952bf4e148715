// Seeded smoke run of the solver's fuzz input: thousands of random and mutated short
// expressions must neither crash nor hang nor upset the sanitizers.
#include <random>
#include <string>
#include <vector>

#include "fuzz/solverFuzzInput.h"
#include "host/osFunctions.h"
#include "solverTestSupport.h"
#include "variables/variable.h"

namespace {

// clang-format off
char const* const pieces[] = {
    "1", "2.5", "0", "1e3", "-", "+", "*", "/", "^", "%", "&", "&&", "|", "||", "!", "!=", "=", "==",
    ">", ">=", "<", "<=", "(", ")", ",", "\"", "{", "}", "$", "$x", "${x}", "~", "~k", " ", "abc", "e",
    ".", "min(", "max(", "fit(", "hsv(", "atof(", "rand()", "rrand()", "strEq(", "ndirs(", "exists(",
    "dirNum(", "regInt(", "numChildren(", "ftoa(", "dcr(", "eau(", "quotes(", "regStr(", "dirName(",
    "encrypt(", "langNumToCode(", "``", "[", "]", "@", "/", "\t", "\xff", "#"};
// clang-format on

std::string randomExpression(std::mt19937& rng) {
    std::uniform_int_distribution<int> count(0, 12);
    std::uniform_int_distribution<size_t> pick(0, sizeof pieces / sizeof pieces[0] - 1);
    std::string text;
    for (int n = count(rng); n > 0; n--)
        text += pieces[pick(rng)];
    return text;
}

std::string randomBytes(std::mt19937& rng) {
    std::uniform_int_distribution<int> count(0, 24);
    std::uniform_int_distribution<int> byte(1, 255);
    std::string text;
    for (int n = count(rng); n > 0; n--)
        text += static_cast<char>(byte(rng));
    return text;
}

std::string mutate(std::string text, std::mt19937& rng) {
    std::uniform_int_distribution<int> kind(0, 3);
    std::uniform_int_distribution<int> byte(1, 255);
    for (int steps = 1 + static_cast<int>(rng() % 3); steps > 0; steps--) {
        size_t at = text.empty() ? 0 : rng() % (text.size() + 1);
        switch (kind(rng)) {
        case 0:
            text.insert(at, 1, static_cast<char>(byte(rng)));
            break;
        case 1:
            if (at < text.size()) text.erase(at, 1);
            break;
        case 2:
            if (at < text.size()) text[at] = static_cast<char>(byte(rng));
            break;
        default:
            text.insert(at, pieces[rng() % (sizeof pieces / sizeof pieces[0])]);
            break;
        }
    }
    return text;
}

void feed(CmathSolver& solver, std::string const& text) {
    solveFuzzInput(solver, reinterpret_cast<uint8_t const*>(text.data()), text.size());
    resetExitState();
}

TEST_F(SolverTest, SurvivesRandomAndMutatedExpressions) {
    uint8_t savedAlert = skipNSAlert;
    skipNSAlert = 1;
    CdirectoryVar root;
    Cvariable* fish = root.addDirectory("fish");
    fish->addVariableX("x", CLASS_FLOAT)->setFloat(3);
    fish->addVariableX("s", CLASS_STRING)->setString("text");
    fish->addDirectory("fins")->addVariableX("left", CLASS_FLOAT)->setFloat(1);
    solver.setSearchVariablePath(fish);
    std::mt19937 rng(20261206);
    std::vector<std::string> seeds = {"1+2*3",         "-(1+2)",          "min(max(1,2),fit(0,1,0.5))",
                                      "$x*2+~k",       "\"a b\"{c}$name", "ftoa(2.5)x",
                                      "hsv(30,1,1,1)", "strEq(a,b)||1",   "langNumToCode(3)",
                                      "quotes(``q``)", "2^0.5%3!=1",      "${a$b}c",
                                      "(((1)))",       "encrypt(abc)",    "dcr(eau())"};
    int solved = 0;
    for (std::string const& s : seeds)
        feed(solver, s), solved++;
    for (int i = 0; i < 10000; i++)
        feed(solver, randomExpression(rng)), solved++;
    for (int i = 0; i < 4000; i++)
        feed(solver, randomBytes(rng)), solved++;
    for (int i = 0; i < 10000; i++)
        feed(solver, mutate(seeds[rng() % seeds.size()], rng)), solved++;
    skipNSAlert = savedAlert;
    solver.setSearchVariablePath(nullptr);
    EXPECT_EQ(solved, 24000 + static_cast<int>(seeds.size()));
    // The solver is still sound after all that.
    solver.clearError();
    EXPECT_EQ(solveF("1+2*3"), 7);
    EXPECT_EQ(solveS("ok"), "ok");
}

// Nested function names and groups once cost work exponential in their depth; the work
// of one solve is now bounded, so deep nesting ends with an error instead of minutes.
TEST_F(SolverTest, DeepNestingEndsQuickly) {
    std::string text;
    for (int i = 0; i < 24; i++)
        text += "min(";
    double value;
    solver.solveFloat(text.c_str(), value); // took minutes before the work was bounded
    Cstring out;
    solver.solveString(("quotes({" + text).c_str(), out);
    resetExitState();
    solver.clearError();
    EXPECT_EQ(solveF("min(min(min(3,2),4),min(1,5))"), 1);
    EXPECT_EQ(solveS("quotes(``a``)"), "\"a\"");
}

} // namespace
