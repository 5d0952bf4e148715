// Value, link and array kinds: the conversion table, registered fields, bounds.
#include <cmath>
#include <limits>

#include "variableTestSupport.h"
#include "variables/configDialogVars.h"
#include "variables/variableLinks.h"

namespace {

// One stored value read back three ways.
struct Conversion {
    int classCode;
    char how; // 'i' from int, 'd' from double, 't' from text
    int fromInt;
    double fromDouble;
    char const* fromText;
    char const* text;
    int asInt;
    double asDouble;
};

constexpr double kInf = std::numeric_limits<double>::infinity();

Conversion const kConversions[] = {
    // short: low 16 bits, truncation toward zero
    {CLASS_SHORT, 'i', 40000, 0, "", "-25536", -25536, -25536},
    {CLASS_SHORT, 'd', 0, -1.7, "", "-1", -1, -1},
    {CLASS_SHORT, 'd', 0, 65537.9, "", "1", 1, 1},
    {CLASS_SHORT, 'd', 0, 1e30, "", "-1", -1, -1}, // saturated, then the low 16 bits
    {CLASS_SHORT, 'd', 0, NAN, "", "0", 0, 0},
    {CLASS_SHORT, 't', 0, 0, "70000x", "4464", 4464, 4464},
    // int
    {CLASS_INT, 't', 0, 0, "12abc", "12", 12, 12},
    {CLASS_INT, 't', 0, 0, "  -7", "-7", -7, -7},
    {CLASS_INT, 't', 0, 0, "99999999999", "2147483647", 2147483647, 2147483647.0},
    {CLASS_INT, 't', 0, 0, "abc", "0", 0, 0},
    {CLASS_INT, 'd', 0, -3.99, "", "-3", -3, -3},
    {CLASS_INT, 'd', 0, 1e20, "", "2147483647", 2147483647, 2147483647.0},
    {CLASS_INT, 'd', 0, -kInf, "", "-2147483648", -2147483647 - 1, -2147483648.0},
    {CLASS_INT, 'd', 0, NAN, "", "0", 0, 0},
    // float
    {CLASS_FLOAT, 'i', 7, 0, "", "7", 7, 7},
    {CLASS_FLOAT, 'd', 0, 2.75, "", "2.75", 2, 2.75},
    {CLASS_FLOAT, 'd', 0, -2.75, "", "-2.75", -2, -2.75},
    {CLASS_FLOAT, 'd', 0, 1e8, "", "1e+08", 100000000, 1e8},
    {CLASS_FLOAT, 'd', 0, 1e300, "", "0", 0, 0}, // beyond any float: refused, the value stays
    {CLASS_FLOAT, 'd', 0, NAN, "", "0", 0, 0},
    {CLASS_FLOAT, 't', 0, 0, "-1e39", "0", 0, 0},
    {CLASS_FLOAT, 't', 0, 0, "0.5xyz", "0.5", 0, 0.5},
    {CLASS_FLOAT, 't', 0, 0, "5e9", "5e+09", 2147483647, 5e9},
    // string
    {CLASS_STRING, 'd', 0, 2.5, "", "2.5", 2, 2.5},
    {CLASS_STRING, 'd', 0, 0.1, "", "0.1", 0, 0.10000000149011612}, // "%g" of the float
    {CLASS_STRING, 'i', -12, 0, "", "-12", -12, -12},
    {CLASS_STRING, 't', 0, 0, "3.9", "3.9", 3, 3.9},
    {CLASS_STRING, 't', 0, 0, "say \"hi\"", "say \"hi\"", 0, 0},
};

void store(Cvariable* v, Conversion const& c) {
    if (c.how == 'i') v->setElem_int(0, c.fromInt);
    if (c.how == 'd') v->setElem_float(0, c.fromDouble);
    if (c.how == 't') v->setElem_char(0, c.fromText);
}

void expectReads(Cvariable* v, Conversion const& c, char const* what) {
    SCOPED_TRACE(::testing::Message() << what << " class " << c.classCode << " from " << c.how << " "
                                      << c.fromInt << "/" << c.fromDouble << "/" << c.fromText);
    EXPECT_STREQ(v->getElem_char(0), c.text);
    EXPECT_EQ(v->getElem_int(0), c.asInt);
    if (std::isinf(c.asDouble))
        EXPECT_EQ(v->getElem_float(0), c.asDouble);
    else
        EXPECT_NEAR(v->getElem_float(0), c.asDouble, 1e-6 * (1 + std::fabs(c.asDouble)));
}

TEST_F(VarTest, ValueKindsConvertByTheTable) {
    for (auto const& c : kConversions) {
        Cvariable* v = makeVariable(c.classCode);
        store(v, c);
        expectReads(v, c, "value");
        delete v;
    }
    EXPECT_EQ(exits(), "");
}

TEST_F(VarTest, LinkKindsConvertByTheSameTable) {
    int const linkClass[7] = {0, 0, 0, CLASS_SHORT_LINK, CLASS_INT_LINK, CLASS_FLOAT_LINK, CLASS_STRING_LINK};
    for (auto const& c : kConversions) {
        short s = 0;
        int i = 0;
        float f = 0;
        Cstring text;
        auto* link = static_cast<ClinkVar*>(makeVariable(linkClass[c.classCode]));
        void* field[7] = {nullptr, nullptr, nullptr, &s, &i, &f, &text};
        link->setPointer(field[c.classCode]);
        store(link, c);
        expectReads(link, c, "link");
        delete link;
    }
    EXPECT_EQ(exits(), "");
}

// Owned link storage: it starts cleared (unset elements were once saved as leftover bytes), a
// grown count or a smaller element reads nothing past the block, strings are built and freed
// in place, and counts or sizes above 65535 are refused.
TEST_F(VarTest, OwnedLinkStorageStaysInItsBlock) {
    CintLinkVar link;
    for (int round = 0; round < 2; round++) { // the second block may reuse the first's memory
        auto* block = static_cast<int*>(link.allocElements(2, 4));
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(block[0] | block[1], 0);
        block[0] = block[1] = -1;
    }
    EXPECT_TRUE(link.hasFlag(VAR_OWNS_STORAGE));
    link.setElem_int(1, 8);
    EXPECT_EQ(link.getElem_int(1), 8);
    link.setNumElements(10); // the count may grow; the block does not
    link.setElem_int(5, 1);
    EXPECT_EQ(link.getElem_int(5), 0);
    link.setObjectSize(2); // smaller than an int: no element fits
    EXPECT_EQ(link.getElem_int(0), 0);
    link.clearPointer();
    EXPECT_EQ(link.storage, nullptr);
    EXPECT_EQ(link.elementCount, 0);
    EXPECT_FALSE(link.hasFlag(VAR_OWNS_STORAGE));
    EXPECT_EQ(link.allocElements(0, 4), nullptr);

    CstringLinkVar texts;
    ASSERT_NE(texts.allocElements(3, sizeof(Cstring)), nullptr);
    texts.setElem_char(2, "a rather long text that needs a heap block of its own");
    EXPECT_STREQ(texts.getElem_char(2), "a rather long text that needs a heap block of its own");
    texts.zeroAllocedMem();
    EXPECT_STREQ(texts.getElem_char(2), "");
    texts.setElem_char(1, "kept until the link dies, then freed (sanitizer checks)");
    CstringLinkVar odd;
    odd.allocElements(2, 3); // slots too small for a string: nothing is stored
    odd.setElem_char(0, "x");
    EXPECT_STREQ(odd.getElem_char(0), "");

    CshortLinkVar big;
    big.setNumElements(70000);
    EXPECT_TRUE(exited("elsToHigh"));
    EXPECT_EQ(big.elementCount, 0);
    big.setObjectSize(65536);
    EXPECT_TRUE(exited("obsToHigh"));
    EXPECT_EQ(big.elementSize, 2);
    EXPECT_EQ(big.allocElements(65536, 2), nullptr);
}

TEST_F(VarTest, ArrayElements) {
    CarrayVar array;
    array.setName("pos");
    array.addInt(3);
    array.addFloat(0.5f);
    array.addString("x");
    array.addVariableX("v", CLASS_SHORT, 1)->setInt(4);
    EXPECT_EQ(array.elements(), 4);
    EXPECT_EQ(childNames(&array), "ivpos:fvsvv");
    EXPECT_EQ(array.getInt(0), 3);
    EXPECT_EQ(array.getFloat(1), 0.5f);
    EXPECT_EQ(array(1), 0.5f);
    EXPECT_STREQ(array.getString(2).c_str(), "x");
    EXPECT_STREQ(array.getString(1).c_str(), ""); // a float element has no string
    EXPECT_STREQ(array.getString(9).c_str(), "");
    std::vector<Cstring> texts;
    std::vector<float> numbers;
    array.getValues(texts, numbers, 1);
    EXPECT_EQ(numbers, (std::vector<float>{0.5f, 4.0f}));
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_STREQ(texts[0].c_str(), "x");
}

// A dependent that logs what its masters tell it.
class Listener : public Cvariable {
  public:
    Listener(char const* n, std::string* log) : log(log) { setName(n); }
    void messageFromMaster(int message, Cvariable* master) override {
        *log += std::string(name.c_str()) + ":" + std::to_string(message) + "=" +
                (message == 1 ? master->getElem_char(0) : master->name.c_str()) + " ";
    }
    std::string* log;
};

TEST_F(VarTest, RemovingSlaves) {
    std::string log;
    Listener a("A", &log), b("B", &log);
    CfloatVar master;
    master.addSlave(&a, nullptr);
    master.addSlave(&b, nullptr);
    EXPECT_EQ(master.removeSlave(&a), 0);
    EXPECT_EQ(log, ""); // no notification on removal
    master.setFloat(1);
    EXPECT_EQ(log, "B:1=1 ");
    EXPECT_EQ(master.removeSlave(&a), 1);
    EXPECT_TRUE(exited("remove notify dep not found"));
    EXPECT_EQ(master.removeSlave("nobody"), 1);
    EXPECT_EQ(master.removeSlave("B"), 0);
    EXPECT_EQ(master.firstChild, nullptr);
    master.addSlave(nullptr, "x"); // refused, nothing hangs
    EXPECT_EQ(master.firstChild, nullptr);
}

TEST_F(VarTest, MemoryChunkBlocks) {
    CmemoryChunkVar chunk;
    unsigned char* block = static_cast<unsigned char*>(chunk.allocMem(6));
    ASSERT_NE(block, nullptr);
    chunk.zero();
    block[0] = 'h';
    block[1] = 'i';
    EXPECT_EQ(chunk.saveToFile("[APD]out.bin"), 1);
    EXPECT_EQ(readWholeFile(data.file("out.bin")), std::string("hi\0\0\0\0", 6));
    EXPECT_EQ(chunk.saveToFile("[APD]no/such/dir/out.bin"), 0);
    chunk.memHasBeenStolen();
    EXPECT_EQ(chunk.data, nullptr);
    chunk.setPointerAndSize(block, 6); // adopt it back; freed with the chunk
    EXPECT_EQ(chunk.size, 6u);
    EXPECT_EQ(chunk.allocMem(0), nullptr);
    EXPECT_EQ(chunk.size, 0u);
}

// What a file's lines did to the registry goes back when the file is withdrawn later in the
// run; what changed after them (the viewer's options) stays.
TEST_F(VarTest, RegistryChangesOfAFileAreUndoneWhereTheyStillHold) {
    struct {
        char const* what;
        int fileSets, thenSet; // 0: left as it was
        bool fileMakes, madeChanged;
        int want;
        bool madeStays;
    } const rows[] = {
        {"a value the file set", 12, 0, false, false, 70, false},
        {"a value set again since", 12, 40, false, false, 40, false},
        {"a value only set since", 0, 40, false, false, 40, false},
        {"a child the file made", 0, 0, true, false, 70, false},
        {"a child the file made, changed since", 0, 0, true, true, 70, true},
    };
    for (auto const& row : rows) {
        SCOPED_TRACE(row.what);
        int most = 70;
        {
            CdirectoryVar globals;
            globals.registerInt(most, "maxFishPerTank", 1);
            CregistryValues before(&globals);
            if (row.fileSets) most = row.fileSets;
            if (row.fileMakes) child(&globals, "wanted", CLASS_INT)->setInt(12);
            CregistryValues after(&globals);
            if (row.thenSet) most = row.thenSet;
            if (row.madeChanged) globals.getChild("wanted")->setInt(13);
            before.undoChanges(&globals, after);
            EXPECT_EQ(most, row.want);
            EXPECT_EQ(globals.findVariable("wanted") != nullptr, row.madeStays);
        }
        EXPECT_EQ(liveSinceStart(), 0);
    }
}

} // namespace
