#include <gtest/gtest.h>

#include "variables/multiLink.h"

namespace {

// A node that owns a buffer of its own, freed when it releases itself.
class BufferNode : public ClinkedResourceNode {
  public:
    explicit BufferNode(int* freedCounter = nullptr) : freed(freedCounter), buffer(new int[16]) {}
    ~BufferNode() override { delete[] buffer; }
    void freeBuffers() override {
        if (freed) (*freed)++;
        delete[] buffer;
        buffer = nullptr;
        ClinkedResourceNode::freeBuffers();
    }
    int* freed;
    int* buffer;
};

class MultiLinks : public ::testing::Test {
  protected:
    void SetUp() override { start = multiLinksExisting; }
    void TearDown() override {
        emptyMultiLinkTrash();
        EXPECT_EQ(multiLinksExisting, start);
    }
    int start = 0;
};

TEST_F(MultiLinks, ReleaseCascadesThroughTheWeb) {
    int freed = 0;
    auto* a = new BufferNode(&freed);
    auto* b = new BufferNode(&freed);
    auto* c = new BufferNode(&freed);
    void* userPointer = a;
    a->addPointerToClear(&userPointer);
    a->linkTo(b);
    a->linkTo(c);
    EXPECT_EQ(a->numLinks(), 2);
    EXPECT_EQ(multiLinksExisting, start + 3);

    a->breakLinkTo(b);
    // b lost its only link, a fell to one link, and c lost a: all three released.
    EXPECT_EQ(freed, 3);
    EXPECT_EQ(userPointer, nullptr);
    EXPECT_EQ(a->numLinks(), 0);
    EXPECT_EQ(c->numLinks(), 0);
    EXPECT_EQ(multiLinkTrash.size(), 3u);
    emptyMultiLinkTrash(); // derived parts are destroyed too (sanitizer checks)
    EXPECT_EQ(multiLinksExisting, start);
}

TEST_F(MultiLinks, DoubleLinkNeedsTwoBreaks) {
    BufferNode a, b;
    a.linkThreshold = 0;
    b.linkThreshold = 0;
    a.linkTo(&b);
    a.linkTo(&b);
    a.breakLinkTo(&b);
    EXPECT_EQ(a.numLinks(), 1);
    EXPECT_EQ(b.numLinks(), 1);
    EXPECT_TRUE(multiLinkTrash.empty());
    EXPECT_FALSE(a.breakLinkTo(nullptr));
}

TEST_F(MultiLinks, QueuedAtMostOnce) {
    auto* a = new BufferNode;
    a->removeAllLinks();
    a->removeAllLinks();
    EXPECT_EQ(multiLinkTrash.size(), 1u);
    EXPECT_EQ(a->trashState, -1);
}

TEST_F(MultiLinks, OwnerDeletesLinkedNode) {
    BufferNode keep1, keep2;
    keep1.linkThreshold = -1; // never release: these live on the stack
    keep2.linkThreshold = -1;
    auto* doomed = new BufferNode;
    doomed->linkTo(&keep1);
    doomed->linkTo(&keep2);
    doomed->removeAllLinks(); // queued...
    keep1.linkTo(doomed);
    delete doomed; // ...then deleted by its owner: no trace left anywhere
    EXPECT_EQ(keep1.numLinks(), 0);
    EXPECT_EQ(keep2.numLinks(), 0);
    emptyMultiLinkTrash(); // must not touch the deleted node
}

TEST_F(MultiLinks, RemovingAnAbsentLinkChangesNothing) {
    BufferNode a, b, c;
    a.linkThreshold = 0;
    a.linkTo(&b);
    EXPECT_FALSE(a._removeLinkFromMyList(&c));
    EXPECT_EQ(a.numLinks(), 1);
    a.breakLinkTo(&b);
}

TEST(ResourceList, IdsAreReusedLowestFirst) {
    int r1, r2, r3, r4;
    CresourceList list("textures");
    EXPECT_EQ(list.addResourcePointer(&r1, "a"), 0);
    EXPECT_EQ(list.addResourcePointer(&r2, "b"), 1);
    EXPECT_EQ(list.addResourcePointer(&r3, "c"), 2);
    list.removeResourceID(1);
    EXPECT_EQ(list.nextAvailableID(), 1);
    EXPECT_EQ(list.getResource(1), nullptr);
    EXPECT_EQ(list.addResourcePointer(&r4, "d"), 1);
    EXPECT_EQ(list.addResourcePointer(&r1, "e"), 3);
    EXPECT_EQ(list.getResource(99), nullptr);
    EXPECT_EQ(list.getResource(-1), nullptr);
    CresourceList grown; // past its first block of sixteen
    for (int i = 0; i < 40; i++)
        EXPECT_EQ(grown.addResourcePointer(&r1, nullptr), i);
    grown.setNextAvailableID(0);
    EXPECT_EQ(grown.nextAvailableID(), 40);
}

TEST(ResourceList, InstanceCountsAndRemovalAtZero) {
    int r;
    CresourceList list("buffers");
    list.removeAtZero = 1;
    int id = list.addResourcePointer(&r, "x");
    list.addInstance(id, "");
    EXPECT_EQ(list.instances(id), 2);
    list.removeInstance(id, "");
    EXPECT_EQ(list.getResource(id), &r);
    list.removeInstance(id, "");
    EXPECT_EQ(list.getResource(id), nullptr);
    list.removeInstance(id, ""); // below zero: traced, no crash
    EXPECT_EQ(list.instances(id), -1);
    list.removeInstance(500, "");
}

} // namespace
