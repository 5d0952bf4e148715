// Resource packages: first package wins, disk fallback flags, pattern lookup, bad packages.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "data/resourceStreamer.h"
#include "support/cerr.h"
#include "testSupport.h"
#include "variables/variableLinks.h"

namespace {

void u16(std::string& b, unsigned v) {
    b += char(v & 255);
    b += char((v >> 8) & 255);
}
void u32(std::string& b, uint32_t v) {
    for (int i = 0; i < 4; i++)
        b += char((v >> (8 * i)) & 255);
}
void record(std::string& b, int classCode, std::string const& name) {
    b += char(classCode);
    u16(b, static_cast<unsigned>(name.size()));
    b += name;
}

// Writes a package: index ("top" directory holding the files at their paths, then
// "channel"), a pad byte, then the files' bytes. Entry fields can be spoiled per test.
struct PackageLayout {
    int channel = 0;
    bool writeChannel = true;
    int entryStream = -1; // stream index written into entries; -1: the channel
    long offsetShift = 0; // added to every entry offset
    long sizeShift = 0;   // added to every entry size
    bool truncateIndex = false;
    int elementCount = 3; // of each entry's int elements
    int elementSize = 4;
};

struct Node {
    std::map<std::string, Node> dirs;
    std::map<std::string, std::string> files;
};

// Writes the node's records; entry n gets offsets[n] (zero while not known yet) and joins files.
std::string writeNode(Node const& node, std::vector<uint32_t> const& offsets,
                      std::vector<std::string const*>& files, PackageLayout const& layout) {
    std::string b;
    for (auto const& [name, sub] : node.dirs) {
        b += b.empty() ? "" : "|";
        record(b, 16, name);
        std::string inner = writeNode(sub, offsets, files, layout);
        if (!inner.empty()) b += "{" + inner + "}";
    }
    uint32_t stream = static_cast<uint32_t>(layout.entryStream < 0 ? layout.channel : layout.entryStream);
    for (auto const& [name, content] : node.files) {
        b += b.empty() ? "" : "|";
        record(b, 19, name);
        u16(b, static_cast<unsigned>(layout.elementCount));
        u16(b, static_cast<unsigned>(layout.elementSize));
        std::string fields;
        u32(fields, files.size() < offsets.size() ? offsets[files.size()] : 0);
        u32(fields, static_cast<uint32_t>(content.size() + layout.sizeShift) | (stream << 28));
        u32(fields, 7);
        b += fields.substr(0, static_cast<size_t>(layout.elementCount * layout.elementSize));
        files.push_back(&content);
    }
    return b;
}

// The index ("top" holding the files at their paths, then "channel"), a NUL, the bytes.
std::string writeIndex(Node const& top, std::vector<uint32_t> const& offsets,
                       std::vector<std::string const*>& files, PackageLayout const& layout) {
    std::string index("DBT\0", 4);
    record(index, 16, "top");
    index += '{';
    index += writeNode(top, offsets, files, layout);
    index += '}';
    if (layout.writeChannel) {
        index += '|';
        record(index, 4, "channel");
        u32(index, static_cast<uint32_t>(layout.channel));
    }
    return index + '\0'; // ends the index: not a sibling separator
}

void writePackage(std::string const& path, std::map<std::string, std::string> const& files,
                  PackageLayout layout = {}) {
    Node top;
    for (auto const& [p, content] : files) {
        Node* n = &top;
        std::string rest = p;
        for (size_t slash; (slash = rest.find('/')) != std::string::npos; rest = rest.substr(slash + 1))
            n = &n->dirs[rest.substr(0, slash)];
        n->files[rest] = content;
    }
    // Offsets do not change the index length: measure it, then write it with them.
    std::vector<std::string const*> order;
    size_t at = writeIndex(top, {}, order, layout).size() + layout.offsetShift;
    std::vector<uint32_t> offsets;
    std::string payload;
    for (std::string const* content : order) {
        offsets.push_back(static_cast<uint32_t>(at + payload.size()));
        payload += *content;
    }
    order.clear();
    std::string index = writeIndex(top, offsets, order, layout);
    if (layout.truncateIndex) index.resize(16), payload.clear(); // cut inside the top's block
    writeWholeFile(path, index + payload);
}

class Streamer : public ::testing::Test {
  protected:
    void SetUp() override { resetExitState(); }
    void TearDown() override { resetExitState(); }
    std::string load(char const* path) {
        CmemoryChunkVar chunk;
        if (!streamer.loadFile(path, chunk)) return "<none>";
        return std::string(reinterpret_cast<char*>(chunk.data), chunk.size);
    }

    ScopedDataFolder dataFolder; // exit reasons write the closing phase's file there
    TempDir dir;
    CresourceStreamer streamer;
};

TEST_F(Streamer, FirstPackageWinsAndLaterOnesAddTheirFiles) {
    writePackage(dir.file("one.pak"), {{"a.txt", "from one"}, {"sub/b.txt", "bee one"}}, {.channel = 0});
    writePackage(dir.file("two.pak"), {{"a.txt", "from two"}, {"sub/c.txt", "sea"}, {"d.txt", "dee"}},
                 {.channel = 3});
    ASSERT_EQ(streamer.addResource(dir.file("one.pak").c_str()), 0);
    ASSERT_EQ(streamer.addResource(dir.file("two.pak").c_str()), 0);
    EXPECT_EQ(streamer.numResourceFiles, 2);
    EXPECT_STREQ(streamer.firstChild->name.c_str(), "top");
    EXPECT_EQ(load("a.txt"), "from one");
    EXPECT_EQ(load("sub/b.txt"), "bee one");
    EXPECT_EQ(load("sub/c.txt"), "sea");
    EXPECT_EQ(load("d.txt"), "dee");
    EXPECT_EQ(load("none.txt"), "<none>");
    EXPECT_EQ(streamer.getChild("channel", 0), nullptr);

    std::ifstream in;
    int size = 0;
    ASSERT_EQ(streamer.openFile("sub/c.txt", in, &size), 1);
    EXPECT_EQ(size, 3);
    char buf[4] = {0};
    in.read(buf, 3);
    EXPECT_STREQ(buf, "sea");
    EXPECT_TRUE(exitReasonList.empty());
}

TEST_F(Streamer, DiskFallbackNeedsAFlag) {
    writeWholeFile(dir.file("disk.txt"), "on disk");
    std::string path = dir.file("disk.txt");
    EXPECT_EQ(load(path.c_str()), "<none>");
    streamer.checkDiskOnce = 1;
    EXPECT_EQ(load(path.c_str()).substr(0, 7), "on disk");
    EXPECT_EQ(streamer.checkDiskOnce, 0);
    EXPECT_EQ(load(path.c_str()), "<none>");
    std::ifstream in;
    int size = 0;
    EXPECT_EQ(streamer.openFile(path.c_str(), in, &size), 0);
    streamer.checkDiskAlways = 1;
    ASSERT_EQ(streamer.openFile(path.c_str(), in, &size), 1);
    EXPECT_EQ(size, 7);
    EXPECT_EQ(load(path.c_str()).substr(0, 7), "on disk");
}

TEST_F(Streamer, MalformedPackagesFailCleanly) {
    struct Case {
        char const* what;
        PackageLayout layout;
    } cases[] = {
        {"no channel", {.writeChannel = false}},
        {"channel out of range", {.channel = 10}},
        {"negative channel", {.channel = -1}},
        {"entry of another stream", {.channel = 1, .entryStream = 2}},
        {"entry past the end", {.sizeShift = 100}},
        {"offset past the end", {.offsetShift = 1000}},
        {"cut-off index", {.truncateIndex = true}},
        {"entry of two elements", {.elementCount = 2}},
        {"entry of 1-byte elements", {.elementSize = 1}},
    };
    for (Case const& c : cases) {
        CresourceStreamer fresh;
        std::string path = dir.file("bad.pak");
        writePackage(path, {{"a.txt", "abc"}}, c.layout);
        EXPECT_EQ(fresh.addResource(path.c_str()), 1) << c.what;
        EXPECT_EQ(fresh.numResourceFiles, 0) << c.what;
        EXPECT_EQ(fresh.firstChild, nullptr) << c.what;
    }
    for (std::string bytes :
         {std::string(), std::string("DB"), std::string("XYZ\0abc", 7), std::string("DBT\0", 4)}) {
        CresourceStreamer fresh;
        writeWholeFile(dir.file("junk.pak"), bytes);
        EXPECT_EQ(fresh.addResource(dir.file("junk.pak").c_str()), 1);
    }
    EXPECT_EQ(streamer.addResource(dir.file("missing.pak").c_str()), 1);
    EXPECT_TRUE(exitReasonList.empty());
}

TEST_F(Streamer, SlotInUseFailsThatPackageOnly) {
    writePackage(dir.file("one.pak"), {{"a.txt", "one"}}, {.channel = 2});
    writePackage(dir.file("two.pak"), {{"b.txt", "two"}}, {.channel = 2});
    ASSERT_EQ(streamer.addResource(dir.file("one.pak").c_str()), 0);
    EXPECT_EQ(streamer.addResource(dir.file("two.pak").c_str()), 1);
    EXPECT_TRUE(exitReasonList.empty()); // the program goes on
    EXPECT_EQ(load("b.txt"), "<none>");  // its entries were not merged
    EXPECT_EQ(load("a.txt"), "one");
}

} // namespace
