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
