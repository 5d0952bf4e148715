#include <gtest/gtest.h>

#include <vector>

#include "support/cerr.h"
#include "variables/thingMessage.h"

namespace {

// A minimal thing: records what it is handed, and can post to itself while handling.
class Owner : public CthingMessageOwner {
  public:
    Owner() : inbox(this) {}
    void processMessage(CthingMessage* m) override {
        delivered.push_back(m->code);
        if (m->code == 99) inbox.sendMessage(100, this, 0, 0, 0); // a follow-up in the same pass
    }
    bool deletionHasBegun() const override { return dying; }
    Cstring messageOwnerName() const override { return Cstring("owner"); }

    CthingMessageHandler inbox;
    std::vector<int> delivered;
    bool dying = false;
};

class ThingMessages : public ::testing::Test {
  protected:
    void SetUp() override { resetExitState(); }
    void TearDown() override { resetExitState(); }
    std::vector<int> pass() {
        o.delivered.clear();
        o.inbox.processMessages();
        return o.delivered;
    }
    Owner o;
};

TEST_F(ThingMessages, DelaysCountHandlingPasses) {
    o.inbox.sendMessage(1, &o, 0, 0, 0);
    o.inbox.sendMessage(2, &o, 0, 0, 2);
    o.inbox.sendMessage(3, &o, 0, 0, 0);
    EXPECT_EQ(pass(), (std::vector<int>{1, 3}));
    EXPECT_EQ(o.inbox.numMessages(), 1);
    EXPECT_EQ(pass(), (std::vector<int>{}));
    EXPECT_EQ(pass(), (std::vector<int>{2}));
    EXPECT_EQ(o.inbox.numMessages(), 0);
    EXPECT_EQ(o.inbox.capacity(), 3); // the storage keeps its size
    EXPECT_EQ(exitSaver, 0);
}

TEST_F(ThingMessages, DestroyOnlyWaitingMessagesOfACode) {
    o.inbox.sendMessage(5, &o, 0, 0, 0);
    o.inbox.sendMessage(5, &o, 0, 0, 3);
    o.inbox.sendMessage(6, &o, 0, 0, 3);
    o.inbox.destroyMessages(5, 1);
    ASSERT_EQ(o.inbox.numMessages(), 2);
    EXPECT_EQ(o.inbox.record(0).code, 5);
    EXPECT_EQ(o.inbox.record(0).delay, 0);
    EXPECT_EQ(o.inbox.record(1).code, 6);
}

TEST_F(ThingMessages, ClearAllThenPassDeliversNothing) {
    o.inbox.sendMessage(1, &o, 7, 0.5f, 0);
    o.inbox.sendMessage(2, &o, 0, 0, 4);
    o.inbox.clearAllMessages();
    EXPECT_EQ(pass(), (std::vector<int>{}));
    EXPECT_EQ(o.inbox.numMessages(), 0);
}

TEST_F(ThingMessages, DyingOwnerTakesNothing) {
    o.dying = true;
    o.inbox.sendMessage(1, &o, 0, 0, 0);
    EXPECT_EQ(o.inbox.numMessages(), 0);
    EXPECT_EQ(exitSaver, 0);
}

TEST_F(ThingMessages, NullSenderIsAnErrorButPosted) {
    o.inbox.sendMessage(4, nullptr, 1, 2.0f, 0);
    EXPECT_EQ(o.inbox.numMessages(), 1);
    EXPECT_EQ(o.inbox.record(0).thing, &o);
    EXPECT_EQ(o.inbox.record(0).intValue, 1);
    ASSERT_FALSE(exitReasonList.empty());
    EXPECT_EQ(exitReasonList[0], "ERROR sent by thing = 0");
}

} // namespace
