// Slave links (change notification) and two-parent nodes.
#include "support/cerr.h"
#include "variables/variableLinks.h"

// ---- slaves ----

void Cvariable::addSlave(Cvariable* slave, char const* linkName) {
    if (slave == nullptr) {
        setExitSpecial(this, "addSlave without slave");
        return;
    }
    flags |= VAR_HAS_SLAVES;
    auto* link = new CvariableLinkVar();
    link->target = slave;
    if (linkName) link->setName(linkName);
    link->setParent(this, 0);
    link->flags |= VAR_SLAVE_LINK | DO_PREPARE_FOR_DELETE;
}

static bool isSlaveLink(Cvariable* c) {
    return (c->flags & VAR_SLAVE_LINK) && c->getType() == TYPE_VARIABLE_LINK;
}

void Cvariable::doNotifySlaves() {
    Cvariable* c = firstChild;
    while (c) {
        Cvariable* next = c->nextSibling; // a slave may remove its own link while told
        if (isSlaveLink(c)) {
            Cvariable* target = static_cast<CvariableLinkVar*>(c)->target;
            if (target) target->messageFromMaster(1, this);
        }
        c = next;
    }
}

Cvariable* Cvariable::getSlave(char const* slaveName) {
    if (slaveName == nullptr) return nullptr;
    for (Cvariable* c = firstChild; c; c = c->nextSibling) {
        if (!isSlaveLink(c)) continue;
        Cvariable* target = static_cast<CvariableLinkVar*>(c)->target;
        if ((target && target->name == slaveName) || c->name == slaveName) return target;
    }
    return nullptr;
}

int Cvariable::removeSlave(Cvariable* slave) {
    for (Cvariable* c = firstChild; c; c = c->nextSibling) {
        if (isSlaveLink(c) && static_cast<CvariableLinkVar*>(c)->target == slave) {
            delete c; // no notification: the slave asked to go
            return 0;
        }
    }
    setExitError("remove notify dep not found", 1);
    return 1;
}

int Cvariable::removeSlave(char const* slaveName) {
    Cvariable* slave = getSlave(slaveName);
    if (slave == nullptr) return 1;
    return removeSlave(slave);
}

void CvariableLinkVar::prepareForDelete() {
    if (!(flags & DO_PREPARE_FOR_DELETE)) return;
    flags &= ~DO_PREPARE_FOR_DELETE;
    if (!(flags & VAR_SLAVE_LINK)) return;
    if (target == nullptr || parent == nullptr) {
        // A broken link cannot tell anyone; record it and let the deletion go on.
        setExitSpecial(this, "not varPointer or parent");
        return;
    }
    target->messageFromMaster(-1, parent);
    target = nullptr;
}

// ---- two parents ----

void CtwoParentsVar::setDualLinkParents(Cvariable* parentA, Cvariable* parentB, int append) {
    if (parentA == nullptr || parentB == nullptr) {
        setExitSpecial(this, "setDualLinkParents without parent");
        return;
    }
    // Drop an earlier pair without taking this node down with it.
    for (auto*& link : links) {
        if (link) {
            link->owner = nullptr;
            delete link;
            link = nullptr;
        }
    }
    Cvariable* parents[2] = {parentA, parentB};
    for (int i = 0; i < 2; i++) {
        links[i] = new CtwoParentLinkVar();
        links[i]->setName(name + (i == 0 ? "_0" : "_1"));
        links[i]->owner = this;
        parents[i]->addVariable(links[i], append);
    }
}

CtwoParentsVar::~CtwoParentsVar() {
    if (flags & VAR_BEING_DELETED) return;
    flags |= VAR_BEING_DELETED;
    for (auto*& link : links) {
        if (link) {
            link->owner = nullptr;
            delete link;
            link = nullptr;
        }
    }
}

CtwoParentLinkVar::~CtwoParentLinkVar() {
    CtwoParentsVar* node = owner;
    owner = nullptr;
    if (node == nullptr || (node->flags & VAR_BEING_DELETED)) return;
    for (auto*& link : node->links) {
        if (link == this) link = nullptr;
    }
    delete node;
}
