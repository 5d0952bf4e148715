// Thing messages: delays, removal, and what a dying owner or missing sender gets.
#include <vector>

#include "variableTestSupport.h"
#include "variables/thingMessage.h"

namespace {

// A minimal thing: records what it is handed.
class Owner : public CthingMessageOwner {
  public:
    Owner() : inbox(this) {}
    void processMessage(CthingMessage* m) override { delivered.push_back(m->code); }
    bool deletionHasBegun() const override { return dying; }
    Cstring messageOwnerName() const override { return Cstring("owner"); }

    CthingMessageHandler inbox;
    std::vector<int> delivered;
    bool dying = false;
};

class ThingMessages : public VarTest {
  protected:
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

TEST_F(ThingMessages, DestroyTakesOnlyWaitingMessagesOfACodeAndClearTakesAll) {
    o.inbox.sendMessage(5, &o, 0, 0, 0);
    o.inbox.sendMessage(5, &o, 0, 0, 3);
    o.inbox.sendMessage(6, &o, 0, 0, 3);
    o.inbox.destroyMessages(5, 1);
    ASSERT_EQ(o.inbox.numMessages(), 2);
    EXPECT_EQ(o.inbox.record(0).code, 5);
    EXPECT_EQ(o.inbox.record(0).delay, 0);
    EXPECT_EQ(o.inbox.record(1).code, 6);
    o.inbox.sendMessage(1, &o, 7, 0.5f, 0);
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
    EXPECT_EQ(exits(), "ERROR sent by thing = 0");
}

} // namespace
