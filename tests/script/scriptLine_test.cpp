// Script text: token kinds, comments, blocks, binary blocks, syntax errors, writing back.
#include <filesystem>
#include <sstream>

#include "data/resourceStreamer.h"
#include "scriptTestSupport.h"
#include "support/engineHooks.h"

namespace {

class ScriptParse : public ScriptStateTest {
  protected:
    void SetUp() override {
        reset();
        engineHooks.restoreResourceTree = nullptr;
    }
    // Parses text (of the given length when nonzero) and returns the parse result.
    int parse(std::string const& text) { return script.processStringScript(text.data(), text.size()); }
    CscriptLine* line(Cvariable* parent, int index) {
        return static_cast<CscriptLine*>(parent->getChildNoErr(index));
    }

    ScopedDataFolder dataFolder; // exit reasons write the closing phase's file there
    CscriptVar script;
};

// Lines as "name,token,token{children}", blank-separated.
std::string shape(Cvariable* parent) {
    std::string out;
    for (Cvariable* c = parent->firstChild; c; c = c->nextSibling) {
        auto* l = static_cast<CscriptLine*>(c);
        if (!out.empty()) out += ' ';
        out += l->name.c_str();
        for (int i = 0; i < l->tokenCount(); i++)
            out.append(",").append(l->tokens[i].c_str());
        if (l->firstChild) out.append("{").append(shape(l)).append("}");
    }
    return out;
}

// Expressions and quotes keep blanks and line ends; comments end with their line; blocks
// nest under the line before; a stray "}" ends the parse; an unclosed block takes the rest
// and is told (the text was cut short).
TEST_F(ScriptParse, LinesTokensAndBlocks) {
    std::string comments = ":a 1 // note (x \"y\n:b 2 //direct\n:c 3 //\n:d /* x { } */ 4 /*a*/ 5 */ 6\n:e";
    std::string crlf = comments;
    for (size_t at = 0; (at = crlf.find('\n', at)) != std::string::npos; at += 2)
        crlf.replace(at, 1, "\r\n");
    struct Case {
        std::string text;
        char const* lines;
        bool openAtEnd;
    } cases[] = {
        {":set a (1 + 2) \"x y\" (max(1,\n 2)) z", "set,a,(1 + 2),x y,(max(1,\n 2)),z", false},
        {":a x) y\n:b z", "a,x),y b,z", false},
        {comments, "a,1 b,2 c,3 d,4,6 e", false},
        {crlf, "a,1 b,2 c,3 d,4,6 e", false},
        {":a {\n :b 1\n :c { :x } \n}\n:d", "a{b,1 c{x}} d", false},
        {":a } :b", "a", false},
        {":a { :b :c", "a{b c}", true},
        {":a { :b { :c }", "a{b{c}}", true},
        {":a { :b { :c } } } :d {", "a{b{c}}", false},
        {":a { :b } /* { */", "a{b}", false},
    };
    for (Case const& c : cases) {
        ASSERT_EQ(parse(c.text), 0) << c.text;
        EXPECT_EQ(shape(&script), c.lines) << c.text;
        EXPECT_EQ(script.endedInOpenBlock, c.openAtEnd ? 1 : 0) << c.text;
    }
}

TEST_F(ScriptParse, SyntaxErrorsAreReportedNotFatal) {
    struct Case {
        std::string text;
        char const* reason;
        int linesKept;
    } cases[] = {
        {"x :a", "syntax error in script", 0},
        {":a { x }", "syntax error in script", 1},
        {":a 1 { :b } { :c }", "missing ':' before cmd?", 1},
        {"{ :a }", "syntax error in script", 0},
        {":a " + std::string("\"\0\0\0\0\x09xy\"", 9), "syntax error in script", 1},
        {":a " + std::string("\"\0\xff\xff\xff\xff", 6), "syntax error in script", 1},
        {":a " + std::string("\"\0\0\0", 5), "syntax error in script", 1},
    };
    for (Case const& c : cases) {
        reset();
        EXPECT_EQ(parse(c.text), 1) << c.text;
        EXPECT_EQ(scriptError, 1);
        EXPECT_EQ(lastReason(), c.reason) << c.text;
        EXPECT_EQ(script.countChildren(-1), c.linesKept) << c.text;
    }
}

// A script of the resource copy in the data folder that does not parse asks for the copy
// back from the install folder, whether it was named from the root or, as the engine names
// species files, from the working folder inside the copy; other files never do.
int restoreCalls = 0;
TEST_F(ScriptParse, ABrokenScriptOfTheResourceCopyAsksForTheCopyBack) {
    std::filesystem::path home = std::filesystem::current_path();
    std::string tree = dataFolder.file("Resources/species/fish");
    std::filesystem::create_directories(tree);
    writeWholeFile(tree + "/fish.spec", "broken :a");
    writeWholeFile(dataFolder.file("mine.txt"), "broken :a");
    engineHooks.restoreResourceTree = [] { restoreCalls++; };
    if (resourcesDir == nullptr) resourcesDir = new CresourceStreamer();
    uint16_t keptDiskRule = resourcesDir->checkDiskAlways;
    resourcesDir->checkDiskAlways = 1; // loose files, as the engine reads the copy
    struct Case {
        std::string workIn, path;
        int restores;
    } cases[] = {
        {home.string(), tree + "/fish.spec", 1},
        {dataFolder.file("Resources"), "species/fish/fish.spec", 1},
        {tree, "./fish.spec", 1},
        {dataFolder.path(), "Resources/species/../species/fish/fish.spec", 1},
        {home.string(), dataFolder.file("mine.txt"), 0},
        {dataFolder.path(), "mine.txt", 0},
        {dataFolder.file("Resources"), "../mine.txt", 0},
    };
    for (Case const& c : cases) {
        reset();
        restoreCalls = 0;
        std::filesystem::current_path(c.workIn);
        EXPECT_EQ(script.processDiskScript(c.path.c_str()), 1) << c.path;
        std::filesystem::current_path(home);
        EXPECT_EQ(lastReason(), "syntax error in script") << c.path;
        EXPECT_EQ(restoreCalls, c.restores) << c.path << " from " << c.workIn;
    }
    resourcesDir->checkDiskAlways = keptDiskRule;
}

TEST_F(ScriptParse, DeepNestingIsRefused) {
    std::string text;
    for (int i = 0; i < 5000; i++)
        text += ":a { ";
    EXPECT_EQ(parse(text), 1);
    EXPECT_EQ(lastReason(), "script blocks nested too deeply");
}

std::string written(CscriptLine* l) {
    std::ostringstream out;
    l->writeLine(out);
    return out.str();
}

// Literals with quotes or NULs go out as binary blocks.
TEST_F(ScriptParse, WrittenLinesReadBackTheSame) {
    CscriptLine l;
    l.name = "cmd";
    l.addToken("a b", TOKEN_LITERAL);
    l.addToken("c d", TOKEN_LITERAL);
    EXPECT_EQ(written(&l), ":cmd \"a b\" \"c d\"");
    Cstring odd;
    odd.assign("say \"hi\"\0!", 10);
    l.addToken(odd, TOKEN_LITERAL);
    std::string withBlock = written(&l);
    ASSERT_EQ(parse(withBlock), 0);
    EXPECT_TRUE(line(&script, 0)->tokens[2] == odd);

    std::string texts[] = {":set a (1 + 2) \"x y\" #12 -3 $v \"\" plain", ":s msg \"quoted words\"",
                           ":cmd \"5\" x", ":array pos #3 ^4 0.5 x", withBlock};
    for (std::string const& text : texts) {
        script.clearScript();
        ASSERT_EQ(parse(text), 0) << text;
        CscriptLine* first = line(&script, 0);
        std::string out = written(first);
        CscriptVar again;
        ASSERT_EQ(again.processStringScript(out.data(), out.size()), 0) << out;
        CscriptLine* second = line(&again, 0);
        ASSERT_EQ(second->tokenCount(), first->tokenCount()) << out;
        EXPECT_TRUE(second->name == first->name);
        for (int i = 0; i < first->tokenCount(); i++) {
            EXPECT_TRUE(second->tokens[i] == first->tokens[i]) << out << " token " << i;
            EXPECT_EQ(second->tokenTypes[i], first->tokenTypes[i]) << out << " token " << i;
        }
    }
}

// Each refused read records its own reason and reads nothing.
TEST_F(ScriptParse, ArgumentsOutOfRangeAreReportedNotRead) {
    ASSERT_EQ(parse(":cmd 1.5 two"), 0);
    CscriptLine* l = line(&script, 0);
    double value = 7;
    EXPECT_EQ(l->getFloat(0, value), 0);
    EXPECT_EQ(value, 1.5);
    EXPECT_EQ(l->getFloat(1), 0.0);
    auto expectRefused = [](bool refused, char const* reason) {
        EXPECT_TRUE(refused) << reason;
        EXPECT_EQ(lastReason(), reason);
        reset();
    };
    std::vector<Cstring> strings;
    std::vector<float> floats;
    Cstring text;
    reset();
    expectRefused(l->getFloat(2) == 0.0, "index out of range in scriptLine.getFloat()");
    expectRefused(l->getFloat(5, value) != 0, "index out of range in scriptLine.getFloat()");
    expectRefused(l->getString(2, text) != 0, "index out of range in scriptLine.");
    expectRefused(l->getString(2, true).empty(), "string grab too high");
    expectRefused(l->getValues("f s f", strings, floats) == 0 && floats.size() == 1,
                  "index out of range in scriptLine.getValues()");
    floats.clear();
    expectRefused(l->stringListToFloats(floats, 3) == 2 && floats.empty(),
                  "index out of range in scriptLine.stringListToFloats()");
    EXPECT_TRUE(l->getString(2, false).empty());
    EXPECT_EQ(l->getFloatOrDefault(4, 2.5), 2.5);
    EXPECT_TRUE(exitReasonList.empty());
}

TEST_F(ScriptParse, ArgumentsReadAsTheirKindSays) {
    ASSERT_EQ(parse(":cmd 2 \"a b\" 3.5 #4"), 0);
    CscriptLine* l = line(&script, 0);
    std::vector<Cstring> strings;
    std::vector<float> floats;
    EXPECT_STREQ(l->digestLine(strings, floats).c_str(), "cmd");
    ASSERT_EQ(strings.size(), 4u);
    EXPECT_STREQ(strings[1].c_str(), "a b");
    EXPECT_EQ(floats, (std::vector<float>{2, 0, 3.5f, 4})); // the hash is stored without its "#"
    floats.clear();
    EXPECT_EQ(l->stringListToFloats(floats, 2), 4);
    EXPECT_EQ(floats, (std::vector<float>{3.5f, 4}));
    floats.clear();
    EXPECT_EQ(l->getValues("f, s, i", strings, floats), 1);
    EXPECT_EQ(floats, (std::vector<float>{2, 3.5f}));
    ASSERT_EQ(strings.size(), 1u);
    EXPECT_STREQ(strings[0].c_str(), "a b"); // quoted before it is solved, so blanks stay
}

} // namespace
