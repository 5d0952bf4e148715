// Thing messages: queued messages between things in a tank.
//
// A sender drops a message into a thing's inbox; the thing handles its inbox once per
// update, where that is safe. A message may wait a number of handling passes first, so a
// thing can post itself something for a later frame (a bite, a turn, a schooling cue).
#pragma once

#include <cstdint>
#include <deque>

#include "support/mystring.h"

class CthingMessage;

// What an inbox needs of the thing that carries it; the scene thing class implements it.
class CthingMessageOwner {
  public:
    // Handles one delivered message.
    virtual void processMessage(CthingMessage* message) = 0;
    // True once the thing's deletion has begun: it takes no more messages.
    virtual bool deletionHasBegun() const = 0;
    virtual Cstring messageOwnerName() const = 0;

  protected:
    ~CthingMessageOwner() = default;
};

class CthingMessage {
  public:
    void clearMessage() { code = 0; }
    Cstring messageCodeToString() const { return Cstring(); }

    int32_t code = 0;                      // 0 marks an empty or read record
    CthingMessageOwner* thing = nullptr;   // the inbox's owner (null in instant messages)
    CthingMessageOwner* subject = nullptr; // what the message is about (instant messages)
    int32_t intValue = 0;
    float floatValue = 0;
    int32_t delay = 0; // handling passes still to wait; 0 = deliver now
};

class CthingMessageHandler {
  public:
    explicit CthingMessageHandler(CthingMessageOwner* owner = nullptr) : owner(owner) {}

    // Appends a message to deliver after `delay` passes. Dropped silently once the owner's
    // deletion has begun; a null sender or owner is recorded as an error but still posted.
    void sendMessage(int code, CthingMessageOwner* sender, int intValue, float floatValue, int delay);
    // The next message due now, or null. Waiting records on the way count down one pass.
    CthingMessage* getMessage();
    // Clears the record at the read position when it was due, and moves past it.
    void markMessageRead();
    // Removes read records, keeping the order of the rest.
    void purgeNullMessages();
    // Clears every message with this code still waiting at least minDelay passes.
    void destroyMessages(int code, int minDelay);
    // Clears every message; the next purge empties the inbox.
    void clearAllMessages();
    void showMessages() const;
    // One handling pass: delivers every due message to the owner, then purges.
    void processMessages();

    int numMessages() const { return count; }
    int capacity() const { return static_cast<int>(records.size()); }
    CthingMessage const& record(int i) const { return records[static_cast<size_t>(i)]; }

    CthingMessageOwner* owner;

  private:
    int32_t readPosition = 0;
    int32_t count = 0;
    std::deque<CthingMessage> records; // a deque: posting while handling keeps records in place
};
