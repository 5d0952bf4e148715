// The settings and dump text writers.
#include <memory>

#include "variableTestSupport.h"
#include "variables/variableLinks.h"
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
    Cvariable* d = child(root.get(), "d", CLASS_DIRECTORY);
    d->setDiskPath("/x y/");
    child(d, "v");
    child(d, "sh", CLASS_SHORT)->setInt(-2);
    child(d, "s", CLASS_STRING)->setString("t u");
    auto* link = static_cast<ClinkVar*>(child(d, "raw", CLASS_LINK));
    link->allocElements(2, 3);
    auto* ints = static_cast<ClinkVar*>(child(d, "il", CLASS_INT_LINK));
    ints->allocElements(2, 4);
    ints->setElem_int(0, 5);
    ints->setElem_int(1, 6);
    auto* strs = static_cast<ClinkVar*>(child(d, "sl", CLASS_STRING_LINK));
    strs->allocElements(1, sizeof(Cstring));
    strs->setElem_char(0, "p q");
    auto* res = static_cast<CresourceFileVar*>(child(d, "r", CLASS_RESOURCE_FILE));
    res->setFileOffset(100);
    res->setFileSize(20);
    res->setFileEncoding(2);
    res->setFileStream(1);
    res->setFileDate(4000000000u);
    auto* mem = static_cast<CmemoryChunkVar*>(child(d, "m", CLASS_MEMORY_CHUNK));
    mem->allocMem(12);
    auto* ptr = new CpointerVar;
    ptr->setName("p");
    d->addVariable(ptr, 1);
    auto* slaveLink = new CvariableLinkVar;
    slaveLink->setName("lk");
    slaveLink->target = d->findVariable("v");
    d->addVariable(slaveLink, 1);
    auto* ref = new CresourceReference;
    ref->setName("ref");
    d->addVariable(ref, 1);

    std::string expect = ":mkdir d {\n"
                         " diskPath=/x y/\n"
                         " :var v\n"
                         " :short sh -2\n"
                         " :s s \"t u\"\n"
                         " :link raw elems=2 elemSize:3\n"
                         " :int il 5 6\n"
                         " :s sl \"p q\"\n"
                         " :resFile r offst=100 size:20 encode:2 type:1 date:4000000000\n"
                         " :memory m (12)\n"
                         " :pointer *p 0\n"
                         " :varPointer v (lk) :var lk\n"
                         " \n"
                         "}\n";
    EXPECT_EQ(written([&](std::ostream& out) { EXPECT_EQ(root->saveTree(nullptr, 0, &out), 0); }), expect);
    EXPECT_EQ(root->saveTree(path("tree.txt").c_str(), 0, nullptr), 0);
    EXPECT_EQ(readWholeFile(path("tree.txt")), expect);
}

} // namespace
