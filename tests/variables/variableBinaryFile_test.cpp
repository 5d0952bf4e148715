// The "DBT" binary tree file: exact bytes, round trips, merges and malformed files.
#include <cstdio>
#include <cstring>
#include <memory>

#include "variableTestSupport.h"
#include "variables/variableLinks.h"
#include "variables/variableSaverLoader.h"

namespace {

std::string bytes(std::initializer_list<int> list) {
    std::string s;
    for (int b : list)
        s += static_cast<char>(b);
    return s;
}

std::string const kMagic("DBT\0", 4);

// Counts postLoadInitialization calls.
struct CountingDir : public CdirectoryVar {
    int postLoads = 0;
    int postLoadInitialization() override {
        postLoads++;
        return 0;
    }
};

class BinaryFile : public VarTest {
  protected:
    void SetUp() override {
        VarTest::SetUp();
        dir = std::make_unique<CountingDir>();
        dir->setName("into");
        withDir = allocedVariables;
    }
    void TearDown() override {
        dir.reset();
        EXPECT_EQ(liveSinceStart(), 0);
        VarTest::TearDown();
    }
    int load(std::string const& content) {
        writeWholeFile(path("in.dbt"), content);
        return dir->loadBinaryChildren(Cstring(path("in.dbt").c_str()));
    }
    std::string save(Cvariable* holder) {
        EXPECT_EQ(holder->saveTree(path("out.dbt").c_str(), 1, nullptr), 0);
        return readWholeFile(path("out.dbt"));
    }

    std::unique_ptr<CountingDir> dir;
    int withDir = 0;
};

TEST_F(BinaryFile, MagicChecks) {
    EXPECT_EQ(load(""), 1);
    EXPECT_EQ(load("DB"), 1);
    EXPECT_EQ(load("XBT" + std::string(1, '\0')), 1);
    EXPECT_EQ(dir->postLoads, 0);
    EXPECT_EQ(load("DBT!" + bytes({0x04, 0x01, 0x00, 'n', 0x05, 0x00, 0x00, 0x00})), 0); // fourth byte free
    EXPECT_EQ(dir->getChild("n", 0)->getInt(), 5);
    dir->deleteChildren();
    dir->postLoads = 0;
    EXPECT_EQ(load(kMagic), 0);
    EXPECT_EQ(dir->firstChild, nullptr);
    EXPECT_EQ(dir->postLoads, 1);
    EXPECT_EQ(dir->loadBinaryChildren(Cstring(path("missing.dbt").c_str())), 1);
}

TEST_F(BinaryFile, RoundTripOfEveryKind) {
    auto holder = std::make_unique<CdirectoryVar>();
    Cvariable* top = everyKind(holder.get());
    std::string file = save(holder.get());
    ASSERT_EQ(load(file), 0);
    Cvariable* t = dir->getChild("top", 0);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->nextSibling->name, "second");
    // The dump text shows every kind with its values; raw links and memory by size only.
    auto dump = [&](Cvariable* v) { return written([&](std::ostream& out) { v->saveCommand(out, 0); }); };
    EXPECT_EQ(dump(t), dump(top));
    auto* raw2 = static_cast<ClinkVar*>(t->getChild("raw", 0));
    ASSERT_EQ(raw2->getClass(), CLASS_LINK);
    EXPECT_EQ(std::string(static_cast<char*>(raw2->storage), 6), "abcdef");
    auto* mem2 = static_cast<CmemoryChunkVar*>(t->getChild("mem", 0));
    ASSERT_EQ(mem2->size, 5u);
    EXPECT_EQ(std::memcmp(mem2->data, "\x01\x00\x02\x00\x03", 5), 0);

    // Saving what was read gives the same bytes (the merge mark is the writer's only).
    std::string again = save(dir.get());
    EXPECT_EQ(again.size(), file.size());
}

// A merge record (type bit 7) reads into a same-named child of its class; a child of another
// class keeps its value and the record makes a child of its own.
TEST_F(BinaryFile, MergeRecordsMergeOnlyIntoTheSameClass) {
    child(dir.get(), "n", CLASS_INT)->setInt(1);
    child(dir.get(), "f", CLASS_FLOAT)->setFloat(2.5);
    struct {
        char name;
        int children, value;
    } const cases[] = {{'n', 1, 5}, {'f', 2, 7}};
    for (auto const& c : cases) {
        ASSERT_EQ(load(kMagic + bytes({0x84, 1, 0, c.name, c.value, 0, 0, 0})), 0) << c.name;
        int named = 0;
        Cvariable* asInt = nullptr;
        for (Cvariable* v = dir->firstChild; v; v = v->nextSibling)
            if (v->name == std::string(1, c.name).c_str()) {
                named++;
                if (v->getClass() == CLASS_INT) asInt = v;
            }
        EXPECT_EQ(named, c.children) << c.name;
        ASSERT_NE(asInt, nullptr) << c.name;
        EXPECT_EQ(asInt->getInt(), c.value) << c.name;
    }
    EXPECT_EQ(dir->getChild("f", 0)->getClass(), CLASS_FLOAT);
    EXPECT_FLOAT_EQ(static_cast<float>(dir->getChild("f", 0)->getFloat()), 2.5f);
}

// A string of up to 32767 characters is saved and read back whole; a longer one fails the
// save and keeps the old file.
TEST_F(BinaryFile, OverlongStringFailsTheSaveAndKeepsTheOldFile) {
    struct {
        size_t length;
        bool saved;
    } const rows[] = {{32767, true}, {32768, false}, {40000, false}};
    for (auto const& row : rows) {
        SCOPED_TRACE(row.length);
        resetExitState();
        std::remove(path("out.dbt.temp").c_str());
        auto holder = std::make_unique<CdirectoryVar>();
        Cvariable* s = child(holder.get(), "s", CLASS_STRING);
        s->setString("short");
        std::string good = save(holder.get());
        std::string text(row.length, 'x');
        s->setString(text.c_str());
        EXPECT_EQ(holder->saveTree(path("out.dbt").c_str(), 1, nullptr), row.saved ? 0 : 1);
        EXPECT_EQ(exited("can't write bin string>32767"), !row.saved);
        if (row.saved) {
            ASSERT_EQ(load(readWholeFile(path("out.dbt"))), 0);
            Cvariable* back = dir->getChild("s", 0);
            ASSERT_NE(back, nullptr);
            EXPECT_EQ(back->getString(), text);
            dir->deleteChildren();
        } else {
            EXPECT_EQ(readWholeFile(path("out.dbt")), good);
            EXPECT_FALSE(pathExists(path("out.dbt.temp"))); // nothing of the failed write stays
        }
    }
}

// Files that must fail to load, cleanly: no crash, no huge allocation, no process end.
TEST_F(BinaryFile, MalformedFilesFail) {
    std::string intRec = bytes({0x04, 1, 0, 'n', 5, 0, 0, 0}), deep;
    for (int i = 0; i < 100000; i++) // nesting that must not exhaust the stack
        deep += bytes({16, 0, 0, '{'});
    struct Case {
        char const* what;
        std::string body; // after the magic
    } cases[] = {
        {"type byte only", bytes({0x04})},
        {"half a name length", bytes({0x04, 1})},
        {"name cut", bytes({0x04, 5, 0, 'a', 'b'})},
        {"name of 32768", bytes({0x01, 0x00, 0x80}) + std::string(0x8000, 'a')},
        {"int cut", bytes({0x04, 1, 0, 'n', 5, 0})},
        {"short cut", bytes({0x03, 1, 0, 's', 5})},
        {"float cut", bytes({0x05, 1, 0, 'f'})},
        {"string length cut", bytes({0x06, 1, 0, 's', 9})},
        {"string text cut", bytes({0x06, 1, 0, 's', 9, 0, 'a'})},
        {"link count cut", bytes({0x07, 1, 0, 'l', 2})},
        {"link size cut", bytes({0x07, 1, 0, 'l', 2, 0, 4})},
        {"link data cut", bytes({0x07, 1, 0, 'l', 2, 0, 4, 0, 1, 2, 3})},
        {"link huge counts", bytes({0x07, 1, 0, 'l', 0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3, 4})},
        {"int link of bytes", bytes({0x08, 1, 0, 'l', 1, 0, 1, 0, 7})},
        {"package entry of one int", bytes({0x13, 1, 0, 'r', 1, 0, 4, 0, 1, 0, 0, 0})},
        {"string link cut", bytes({0x0A, 1, 0, 'l', 3, 0, 'a'})},
        {"memory size cut", bytes({0x14, 1, 0, 'm', 1, 0})},
        {"memory huge", bytes({0x14, 1, 0, 'm', 0xFF, 0xFF, 0xFF, 0xFF, 1, 2})},
        {"memory cut", bytes({0x14, 1, 0, 'm', 8, 0, 0, 0, 1, 2})},
        {"children never start", intRec + "{"},
        {"children never close", intRec + "{" + intRec},
        {"sibling promised", intRec + "|"},
        {"empty children", intRec + "{}"},
        {"stray close", intRec + "}"},
        {"bad separator", intRec + "x"},
        {"unknown class", bytes({0x7F, 1, 0, 'q'})},
        {"script class without a child to merge into", bytes({0x0C, 1, 0, 'q'})},
        {"merge of unknown class into another kind", bytes({0x8C, 1, 0, 'n'})},
        {"deep nesting", deep},
    };
    for (auto const& c : cases) {
        resetExitState();
        EXPECT_EQ(load(kMagic + c.body), 1) << c.what;
        EXPECT_EQ(dir->postLoads, 0) << c.what;
        dir->deleteChildren();
        EXPECT_EQ(allocedVariables, withDir) << c.what;
    }
}

TEST_F(BinaryFile, WhatWasReadBeforeTheFaultStays) {
    std::string file = kMagic + bytes({0x04, 1, 0, 'a', 1, 0, 0, 0, '|', 0x04, 1, 0, 'b', 2, 0});
    EXPECT_EQ(load(file), 1);
    ASSERT_NE(dir->getChild("a", 0), nullptr);
    EXPECT_EQ(dir->getChild("a", 0)->getInt(), 1);
    EXPECT_EQ(dir->getChild("b", 0), nullptr); // the cut record is not kept half-read
}

TEST_F(BinaryFile, ReadingIntoAnAdoptedChildArrayFails) {
    auto* arrayHolder = new CfastChildArrayVar;
    arrayHolder->setName("arr");
    dir->addVariable(arrayHolder, 1);
    auto* elements = new CshortLinkVar[2];
    arrayHolder->addChildArrays(elements, 2, sizeof(CshortLinkVar), CLASS_SHORT_LINK);
    std::string file = kMagic + bytes({0x81, 3, 0, 'a', 'r', 'r', '{', 0x04, 1, 0, 'n', 5, 0, 0, 0, '}'});
    EXPECT_EQ(load(file), 1);
}

// Every truncation of a real file loads or fails cleanly, leaking nothing.
TEST_F(BinaryFile, TruncatedAndCorruptedFilesNeverMisbehave) {
    auto holder = std::make_unique<CdirectoryVar>();
    everyKind(holder.get());
    std::string file = save(holder.get());
    int live = allocedVariables;

    for (size_t cut = 4; cut < file.size(); cut++) {
        int result = load(file.substr(0, cut));
        EXPECT_TRUE(result == 0 || result == 1);
        dir->deleteChildren();
        ASSERT_EQ(allocedVariables, live) << cut;
    }
}

} // namespace
