// Resource packages: first package wins, disk fallback flags, bad packages.
#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "data/resourceStreamer.h"
#include "dataTestSupport.h"
#include "variables/variableLinks.h"

namespace {

void record(std::string& b, int classCode, std::string const& name) {
    b += char(classCode);
    putLE(b, static_cast<unsigned>(name.size()), 2);
    b += name;
}

// How a package is written; each field can spoil it.
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

// Writes a package: the index ("top" holding the files at their paths, one folder deep at
// most, then "channel"), a NUL, then the files' bytes.
void writePackage(std::string const& path, std::map<std::string, std::string> const& files,
                  PackageLayout layout = {}) {
    std::map<std::string, std::map<std::string, std::string>> folders; // "": the top's own files
    for (auto const& [p, content] : files) {
        size_t slash = p.find('/');
        if (slash == std::string::npos)
            folders[""][p] = content;
        else
            folders[p.substr(0, slash)][p.substr(slash + 1)] = content;
    }
    uint32_t stream = static_cast<uint32_t>(layout.entryStream < 0 ? layout.channel : layout.entryStream);
    std::string index("DBT\0", 4), payload;
    std::vector<std::pair<size_t, size_t>> offsets; // where an entry's offset field is; its bytes
    auto writeEntries = [&](std::map<std::string, std::string> const& entries) {
        for (auto const& [name, content] : entries) {
            if (index.back() != '{') index += '|';
            record(index, 19, name);
            putLE(index, static_cast<unsigned>(layout.elementCount), 2);
            putLE(index, static_cast<unsigned>(layout.elementSize), 2);
            std::string fields(4, '\0'); // the offset, known once the index is whole
            putLE(fields, static_cast<uint32_t>(content.size() + layout.sizeShift) | (stream << 28));
            putLE(fields, 7);
            offsets.emplace_back(index.size(), payload.size());
            index += fields.substr(0, static_cast<size_t>(layout.elementCount * layout.elementSize));
            payload += content;
        }
    };
    record(index, 16, "top");
    index += '{';
    for (auto const& [folder, entries] : folders) {
        if (folder.empty()) continue;
        if (index.back() != '{') index += '|';
        record(index, 16, folder);
        index += '{';
        writeEntries(entries);
        index += '}';
    }
    writeEntries(folders[""]);
    index += '}';
    if (layout.writeChannel) {
        index += '|';
        record(index, 4, "channel");
        putLE(index, static_cast<uint32_t>(layout.channel));
    }
    index += '\0'; // ends the index: not a sibling separator
    size_t offsetBytes = std::min<size_t>(4, static_cast<size_t>(layout.elementCount * layout.elementSize));
    for (auto [at, start] : offsets) {
        std::string offset;
        putLE(offset, static_cast<uint32_t>(index.size() + layout.offsetShift + start));
        index.replace(at, offsetBytes, offset, 0, offsetBytes);
    }
    if (layout.truncateIndex) index.resize(16), payload.clear(); // cut inside the top's block
    writeWholeFile(path, index + payload);
}

class Streamer : public DataArrayTest {
  protected:
    std::string load(char const* path) {
        CmemoryChunkVar chunk;
        if (!streamer.loadFile(path, chunk)) return "<none>";
        return std::string(reinterpret_cast<char*>(chunk.data), chunk.size);
    }

    CresourceStreamer streamer;
};

TEST_F(Streamer, FirstPackageWinsAndLaterOnesAddTheirFiles) {
    writePackage(path("one.pak"), {{"a.txt", "from one"}, {"sub/b.txt", "bee one"}}, {.channel = 0});
    writePackage(path("two.pak"), {{"a.txt", "from two"}, {"sub/c.txt", "sea"}, {"d.txt", "dee"}},
                 {.channel = 3});
    ASSERT_EQ(streamer.addResource(path("one.pak").c_str()), 0);
    ASSERT_EQ(streamer.addResource(path("two.pak").c_str()), 0);
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
    writeWholeFile(path("disk.txt"), "on disk");
    std::string file = path("disk.txt");
    EXPECT_EQ(load(file.c_str()), "<none>");
    streamer.checkDiskOnce = 1;
    EXPECT_EQ(load(file.c_str()).substr(0, 7), "on disk");
    EXPECT_EQ(streamer.checkDiskOnce, 0);
    EXPECT_EQ(load(file.c_str()), "<none>");
    std::ifstream in;
    int size = 0;
    EXPECT_EQ(streamer.openFile(file.c_str(), in, &size), 0);
    streamer.checkDiskAlways = 1;
    ASSERT_EQ(streamer.openFile(file.c_str(), in, &size), 1);
    EXPECT_EQ(size, 7);
    EXPECT_EQ(load(file.c_str()).substr(0, 7), "on disk");
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
        std::string file = path("bad.pak");
        writePackage(file, {{"a.txt", "abc"}}, c.layout);
        EXPECT_EQ(fresh.addResource(file.c_str()), 1) << c.what;
        EXPECT_EQ(fresh.numResourceFiles, 0) << c.what;
        EXPECT_EQ(fresh.firstChild, nullptr) << c.what;
    }
    for (std::string bytes :
         {std::string(), std::string("DB"), std::string("XYZ\0abc", 7), std::string("DBT\0", 4)}) {
        CresourceStreamer fresh;
        writeWholeFile(path("junk.pak"), bytes);
        EXPECT_EQ(fresh.addResource(path("junk.pak").c_str()), 1);
    }
    EXPECT_EQ(streamer.addResource(path("missing.pak").c_str()), 1);
    EXPECT_TRUE(exitReasonList.empty());
}

TEST_F(Streamer, SlotInUseFailsThatPackageOnly) {
    writePackage(path("one.pak"), {{"a.txt", "one"}}, {.channel = 2});
    writePackage(path("two.pak"), {{"b.txt", "two"}}, {.channel = 2});
    ASSERT_EQ(streamer.addResource(path("one.pak").c_str()), 0);
    EXPECT_EQ(streamer.addResource(path("two.pak").c_str()), 1);
    EXPECT_TRUE(exitReasonList.empty()); // the program goes on
    EXPECT_EQ(load("b.txt"), "<none>");  // its entries were not merged
    EXPECT_EQ(load("a.txt"), "one");
}

} // namespace
