// Requests by name: files that do not load, and the colour-plus-alpha edge cases.
#include <filesystem>
#include <string>

#include "requestTestSupport.h"

namespace {

class ArrayRequest : public RequestTest {
  protected:
    // Every recorded reason is in exitMsg; exitReasonList keeps only the first.
    static bool exitMentions(char const* text) {
        return std::string(exitMsg.c_str()).find(text) != std::string::npos;
    }
};

TEST_F(ArrayRequest, FilesThatDoNotLoadAreNotFiled) {
    struct Case {
        char const* name;
        std::string content;
    };
    std::string truncatedArray = std::string("AAC0") + '\0';
    std::string truncatedSgi = "\x01\xda\x01\x01";
    for (Case const& c : {Case{"cut.chan", truncatedArray}, Case{"cut.rgb", truncatedSgi},
                          Case{"wrong.chan", "just some text"}, Case{"empty.chan", ""}}) {
        writeWholeFile(dir.file(c.name), c.content);
        EXPECT_EQ(requestDataArray(c.name, folder().c_str(), -1), nullptr) << c.name;
    }
    EXPECT_EQ(shop.firstChild, nullptr);
}

// A name that climbs out of its folder is filed where it leads: the same request made again
// (a second display loading the tank) or by another route shares the array.
TEST_F(ArrayRequest, ParentFolderPathsShareOneArray) {
    std::filesystem::create_directories(dir.file("tanks/reef"));
    std::filesystem::create_directories(dir.file("global"));
    writeSgi(dir.file("global/ripple.rgb"), 2, 2, 1, [](int x, int y, int) { return x + y; });
    std::string reef = folder() + "/tanks/reef";
    CdataArray* first = requestDataArray("../../global/ripple.rgb", reef.c_str(), -1);
    ASSERT_NE(first, nullptr) << exitMsg.c_str();
    EXPECT_EQ(requestDataArray("../../global/ripple.rgb", reef.c_str(), -1), first) << exitMsg.c_str();
    EXPECT_EQ(requestDataArray("./global//ripple.rgb", folder().c_str(), -1), first);
    EXPECT_STREQ(resourceTreePath("../a/./b/../c").c_str(), "a/c") << "never above the tree";
}

TEST_F(ArrayRequest, ColourAndAlphaEdgeCases) {
    writeSgi(dir.file("thin.rgb"), 4, 4, 3, [](int, int, int) { return 5; });
    writeJpeg(dir.file("fish.jpg"), 8, 4, 250, 0, 0);
    writeSgi(dir.file("fish.alpha"), 8, 4, 1, [](int x, int y, int) { return 10 * x + y; });
    imageFile img;
    img.maxWidth = 0; // the picture would come out zero wide
    EXPECT_EQ(loadRGBA(img, dir.file("thin.rgb").c_str(), dir.file("fish.alpha").c_str()), 1);
    maxTexWidth = 0;
    EXPECT_EQ(requestDataArray("fish.sgi", folder().c_str(), 4), nullptr);
    EXPECT_EQ(shop.firstChild, nullptr);

    // An alpha smaller than the colour is ignored; an image without pixels is refused.
    maxTexWidth = 4096;
    writeJpeg(dir.file("big.jpg"), 8, 8, 0, 0, 250);
    writeSgi(dir.file("big.alpha"), 4, 4, 1, [](int, int, int) { return 3; });
    imageFile big;
    big.forcedChannels = 4;
    ASSERT_EQ(loadRGBA(big, dir.file("big.jpg").c_str(), dir.file("big.alpha").c_str()), 0);
    pixel8 p;
    big.getPixel(7, 7, p);
    EXPECT_EQ(p[3], 255);
    CdataArray a;
    imageFile empty;
    EXPECT_EQ(imageIOtoDataArray(a, empty), 1);
    EXPECT_TRUE(exitMentions("imageIOtoDataArray - tried to copy image of zero size"));
}

} // namespace
