// The settings and dump text writers.
#include <memory>

#include "variableTestSupport.h"
#include "variables/variableSaverLoader.h"

namespace {

// A text the writer cannot quote: a NUL, its big-endian length and the bytes, quoted.
std::string binaryBlock(std::string const& text) {
    uint32_t n = static_cast<uint32_t>(text.size());
    return std::string{'"', '\0', char(n >> 24), char(n >> 16), char(n >> 8), char(n)} + text + "\"";
}

using SettingsText = VarTest;

TEST_F(SettingsText, AsciiSafeAndFloatText) {
    struct Case {
        char const* text;
        std::string out;
    } cases[] = {
        {"", "\"\""}, {"abc", "abc"}, {"a b", "\"a b\""}, {"a\"b", binaryBlock("a\"b")}, {nullptr, "\"\""},
    };
    for (auto const& c : cases)
        EXPECT_EQ(written([&](std::ostream& out) { writeAsciiSafe(out, c.text); }), c.out);

    struct FloatCase {
        float value;
        char const* text;
    } floats[] = {{1.5f, "1.5"}, {1e10f, "1e+10"},  {0.1f, "0.1"},
                  {-2, "-2"},    {1.296f, "1.296"}, {-3.4e38f, "-3.4e+38"}};
    for (auto const& f : floats) {
        char text[16];
        floatToChar(f.value, text);
        EXPECT_STREQ(text, f.text);
    }
}

TEST_F(SettingsText, DumpFormOfEveryKind) {
    auto root = std::make_unique<CdirectoryVar>();
    Cvariable* top = everyKind(root.get());
    top->setDiskPath("/x y/");
    auto* ptr = new CpointerVar;
    ptr->setName("p");
    top->addVariable(ptr, 1);
    auto* slaveLink = new CvariableLinkVar;
    slaveLink->setName("lk");
    slaveLink->target = top->findVariable("plain");
    top->addVariable(slaveLink, 1);
    auto* ref = new CresourceReference;
    ref->setName("ref");
    top->addVariable(ref, 1);

    std::string expect = ":mkdir top {\n"
                         " diskPath=/x y/\n"
                         " :var plain\n"
                         " :short sh -300\n"
                         " :int i -123456789\n"
                         " :float f 3.25\n"
                         " :s s " +
                         binaryBlock("text with \"quotes\"") +
                         "\n"
                         " :link raw elems=2 elemSize:3\n"
                         " :int il -1 999 1999\n"
                         " :float fl 0.25 -0.5\n"
                         " :s sl \"link text\"\n"
                         " :short shl -7\n"
                         " :array arr #4 0.5 \"el\"\n"
                         " :resFile res offst=77 size:1000 encode:2 type:1 date:3000000000\n"
                         " :memory mem (5)\n"
                         " :int merged 0\n"
                         " :mkdir d {\n"
                         "  :short x 0\n"
                         " }\n"
                         " :pointer *p 0\n"
                         " :varPointer plain (lk) :var lk\n"
                         " \n" // the resource reference writes nothing of its own
                         "}\n"
                         ":mkdir second\n";
    EXPECT_EQ(written([&](std::ostream& out) { EXPECT_EQ(root->saveTree(nullptr, 0, &out), 0); }), expect);
    EXPECT_EQ(root->saveTree(path("tree.txt").c_str(), 0, nullptr), 0);
    EXPECT_EQ(readWholeFile(path("tree.txt")), expect);
}

} // namespace
