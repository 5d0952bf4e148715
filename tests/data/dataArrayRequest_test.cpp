// Requests by name: the search, the colour-plus-alpha substitutes, sharing and the
// failures.
#include <string>

#include "requestTestSupport.h"

namespace {

// Alpha value of pixel (x, y) in the test's ".alpha" files.
int alphaAt(int x, int y) {
    return 10 * x + y;
}

class ArrayRequest : public RequestTest {
  protected:
    // fish.jpg (8 x 4, uniform red) and fish.alpha (one channel, alphaAt) in the folder.
    void writeFishPair(bool withAlpha = true) {
        writeJpeg(dir.file("fish.jpg"), 8, 4, 250, 0, 0);
        if (withAlpha)
            writeSgi(dir.file("fish.alpha"), 8, 4, 1, [](int x, int y, int) { return alphaAt(x, y); });
    }
    // Every recorded reason is in exitMsg; exitReasonList keeps only the first.
    static bool exitMentions(char const* text) {
        return std::string(exitMsg.c_str()).find(text) != std::string::npos;
    }
};

TEST_F(ArrayRequest, SgiNameServedByColourAndAlpha) {
    writeFishPair();
    CdataArray* a = requestDataArray("fish.sgi", folder().c_str(), 4);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(exitReason(), "");
    EXPECT_EQ(a->chans, 4);
    EXPECT_EQ(a->dataType, 1);
    EXPECT_EQ(a->res[0], 8);
    EXPECT_EQ(a->res[1], 4);
    EXPECT_EQ(a->chanFormat, "rgba");
    EXPECT_NE(dynamic_cast<CdataImage*>(a), nullptr);
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 8; x++) {
            EXPECT_NEAR(arrayByte(a, x, y, 0), 250, 3);
            EXPECT_NEAR(arrayByte(a, x, y, 1), 0, 3);
            EXPECT_EQ(arrayByte(a, x, y, 3), alphaAt(x, y)) << x << "," << y;
        }
    // Filed under "resources/", the folder and the requested name; its disk path is the folder.
    auto* entry = dynamic_cast<CdataArrayReference*>(filed("resources" + folder() + "/fish.sgi"));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->array, a);
    EXPECT_EQ(entry->getDiskPath(), folder().c_str());
    EXPECT_EQ(a->referenceCount, 1);
}

// Without the ".alpha" file a four-channel request is opaque.
TEST_F(ArrayRequest, ChannelCountPicksTheSubstitute) {
    struct Case {
        bool alpha;
        int chans;
        int expectChans;
        int channel, byte; // at pixel (1, 2)
    };
    for (Case c : {Case{false, 4, 4, 3, 255}, Case{true, 1, 1, 0, alphaAt(1, 2)}, Case{true, 3, 3, 0, 250}}) {
        shop.deleteChildren();
        writeFishPair(c.alpha);
        CdataArray* a = requestDataArray("fish.sgi", folder().c_str(), c.chans);
        ASSERT_NE(a, nullptr) << c.chans;
        EXPECT_EQ(a->chans, c.expectChans);
        EXPECT_NEAR(arrayByte(a, 1, 2, c.channel), c.byte, 3) << c.chans;
    }
}

TEST_F(ArrayRequest, RgbNameLoadsTheSgiFileItself) {
    writeSgi(dir.file("crab.rgb"), 3, 2, 3, [](int x, int y, int c) { return x + 10 * y + 100 * c; });
    CdataArray* a = requestDataArray("crab.rgb", folder().c_str(), -1);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->chans, 3);
    EXPECT_EQ(arrayByte(a, 2, 1, 2), 212);
    EXPECT_EQ(a->getName(), (folder() + "/crab.rgb").c_str());
}

TEST_F(ArrayRequest, SecondRequestSharesTheArray) {
    // Any channel count reads an ".sgi" name as the SGI file itself.
    writeSgi(dir.file("fish.sgi"), 4, 4, 3, [](int x, int, int) { return x; });
    CdirectoryVar fishA, fishB;
    CdataArray* fieldA = nullptr;
    CdataArray* fieldB = nullptr;
    CdataArrayReference* a = registerDataArrayPointer(&fishA, &fieldA, "skin");
    CdataArrayReference* b = registerDataArrayPointer(&fishB, &fieldB, "skin");
    ASSERT_EQ(a->requestArray("fish.sgi", folder().c_str()), 0) << exitMsg.c_str();
    ASSERT_EQ(b->requestArray("fish.sgi", folder().c_str()), 0);
    ASSERT_NE(fieldA, nullptr);
    EXPECT_EQ(fieldA, fieldB);
    EXPECT_EQ(a->path, "fish.sgi");
    EXPECT_EQ(fieldA->referenceCount, 3); // the registry entry and both owners
    // One entry in the tree.
    Cvariable* folderNode = filed("resources" + folder());
    ASSERT_NE(folderNode, nullptr);
    EXPECT_EQ(folderNode->countChildren(), 1);

    CdataArray* shared = fieldA;
    fishA.deleteChildren();
    EXPECT_EQ(fieldA, nullptr);
    EXPECT_EQ(shared->referenceCount, 2);
    EXPECT_EQ(fieldB, shared);
}

TEST_F(ArrayRequest, ArrayFileGetsTheKindItDeclares) {
    writeChanFile(dir.file("curve.chan"), 5, 2);
    CdataArray* a = requestDataArray("curve.chan", folder().c_str(), -1);
    auto* chan = dynamic_cast<CdataChan*>(a);
    ASSERT_NE(chan, nullptr);
    float out[2] = {0, 0};
    chan->getValues(3.0f, out, 3);
    EXPECT_FLOAT_EQ(out[0], 3.0f);
    EXPECT_FLOAT_EQ(out[1], 3.1f);

    // A name without a folder is looked up as given.
    writeChanFile(dir.file("direct.chan"), 3, 1);
    std::string path = dir.file("direct.chan");
    CdataArray* direct = requestDataArray(path.c_str(), nullptr, -1);
    ASSERT_NE(direct, nullptr);
    EXPECT_NE(filed("resources" + path), nullptr);
    EXPECT_EQ(requestDataArray(path.c_str(), nullptr, -1), direct);
}

TEST_F(ArrayRequest, ChannelShortfallIsReportedButServed) {
    writeSgi(dir.file("grey.rgb"), 2, 2, 1, [](int, int, int) { return 7; });
    writeSgi(dir.file("colour.rgb"), 2, 2, 3, [](int, int, int) { return 9; });
    CdataArray* grey = requestDataArray("grey.rgb", folder().c_str(), -1);
    CdataArray* colour = requestDataArray("colour.rgb", folder().c_str(), -1);
    ASSERT_NE(grey, nullptr);
    ASSERT_NE(colour, nullptr);

    EXPECT_EQ(requestDataArray("colour.rgb", folder().c_str(), 4), colour);
    EXPECT_EQ(exitReason(), ""); // four from three passes silently
    EXPECT_EQ(requestDataArray("grey.rgb", folder().c_str(), 3), grey);
    EXPECT_TRUE(exitMentions("wanted 3 chans for grey.rgb but this version has 1")) << exitReason();
}

TEST_F(ArrayRequest, NothingFoundLeavesTheOwnerAlone) {
    CdirectoryVar fish;
    CdataArray sentinel;
    CdataArray* field = &sentinel;
    CdataArrayReference* ref = registerDataArrayPointer(&fish, &field, "skin");
    EXPECT_EQ(ref->requestArray("nowhere.chan", folder().c_str()), 1);
    EXPECT_EQ(field, &sentinel);
    EXPECT_TRUE(exitMentions(("Couldn't find array skin in nowhere.chan " + folder()).c_str()))
        << exitReason();
    ref->ownerSlot = nullptr;
}

TEST_F(ArrayRequest, EmptyNames) {
    EXPECT_EQ(requestDataArray("", folder().c_str(), -1), nullptr);
    EXPECT_EQ(requestDataArray("", nullptr, -1), nullptr);
    EXPECT_EQ(shop.firstChild, nullptr);
}

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

TEST_F(ArrayRequest, ColourAndAlphaEdgeCases) {
    writeSgi(dir.file("thin.rgb"), 4, 4, 3, [](int, int, int) { return 5; });
    writeFishPair();
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

TEST_F(ArrayRequest, ArrayFileDimsFromTheHeader) {
    writeChanFile(dir.file("one.chan"), 3, 1);
    writeWholeFile(dir.file("vox.vol"), "VOXL....");
    writeWholeFile(dir.file("short"), "AAC0\x05");
    writeWholeFile(dir.file("noname"), std::string("AAC0\xff\xff", 6));
    for (auto [name, dims] :
         {std::pair{"one.chan", 1}, {"vox.vol", 3}, {"short", 0}, {"noname", 0}, {"missing", 0}})
        EXPECT_EQ(dataArrayFileDims(dir.file(name).c_str()), dims) << name;
    EXPECT_EQ(dataArrayFileDims(nullptr), 0);
}

} // namespace
