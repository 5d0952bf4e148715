#include "variables/thingMessage.h"

#include "support/cerr.h"

void CthingMessageHandler::sendMessage(int code, CthingMessageOwner* sender, int intValue, float floatValue,
                                       int delay) {
    if (!sender) {
        VTRACE(1, "ERROR sent by thing = 0");
        setExitError("ERROR sent by thing = 0");
    }
    if (!owner) {
        VTRACE(1, "ERROR thisthing = 0");
        setExitError("ERROR thisthing = 0");
    } else if (owner->deletionHasBegun()) {
        return;
    }
    if (count == static_cast<int>(records.size())) records.emplace_back();
    CthingMessage& m = records[static_cast<size_t>(count)];
    if (m.code != 0) {
        setExitError("message not cleared");
        return;
    }
    m.code = code;
    m.thing = owner;
    m.subject = nullptr;
    m.intValue = intValue;
    m.floatValue = floatValue;
    m.delay = delay;
    count++;
}

CthingMessage* CthingMessageHandler::getMessage() {
    while (readPosition < count) {
        CthingMessage& m = records[static_cast<size_t>(readPosition)];
        if (m.delay > 0) {
            m.delay--;
            readPosition++;
            continue;
        }
        return &m;
    }
    return nullptr;
}

void CthingMessageHandler::markMessageRead() {
    if (readPosition < count) {
        CthingMessage& m = records[static_cast<size_t>(readPosition)];
        if (m.delay == 0) m.clearMessage();
    }
    readPosition++;
}

void CthingMessageHandler::purgeNullMessages() {
    int kept = 0;
    for (int i = 0; i < count; i++) {
        if (records[static_cast<size_t>(i)].code == 0) continue;
        if (kept != i) {
            records[static_cast<size_t>(kept)] = records[static_cast<size_t>(i)];
            records[static_cast<size_t>(i)].clearMessage();
        }
        kept++;
    }
    count = kept;
    readPosition = 0;
}

void CthingMessageHandler::destroyMessages(int code, int minDelay) {
    for (int i = 0; i < count; i++) {
        CthingMessage& m = records[static_cast<size_t>(i)];
        if (m.code == code && m.delay >= minDelay) m.clearMessage();
    }
    purgeNullMessages();
}

void CthingMessageHandler::clearAllMessages() {
    showMessages();
    for (int i = 0; i < count; i++)
        records[static_cast<size_t>(i)].clearMessage();
    readPosition = 0;
}

void CthingMessageHandler::showMessages() const {
    VTRACE(2, "The messages of " << (owner ? owner->messageOwnerName() : Cstring()) << " (" << count << ")");
    for (int i = 0; i < count; i++) {
        CthingMessage const& m = records[static_cast<size_t>(i)];
        VTRACE(1, "inbox[" << i << "]=" << m.code << " int:" << m.intValue << " flt:" << m.floatValue
                           << " delay:" << m.delay);
    }
}

void CthingMessageHandler::processMessages() {
    for (;;) {
        CthingMessage* m = getMessage();
        if (!m || m->code == 0) break;
        if (owner) owner->processMessage(m);
        markMessageRead();
    }
    purgeNullMessages();
}
