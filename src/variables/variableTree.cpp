// Linking nodes under parents and reordering child lists.
#include <cstdio>

#include "support/cerr.h"
#include "variables/variable.h"

namespace {
// Longest child list walked while looking for a predecessor before giving up.
constexpr int kMaxListWalk = 100001;

// True when node is start or one of its ancestors: putting node under start would make
// the tree a loop.
bool isSelfOrAncestor(Cvariable const* node, Cvariable const* start) {
    for (Cvariable const* a = start; a; a = a->parent)
        if (a == node) return true;
    return false;
}
} // namespace

Cvariable* Cvariable::addVariable(Cvariable* child, int append) {
    if (child == nullptr) return nullptr;
    if (flags & CHILDREN_ARE_ARRAY) {
        // The children are one fixed block; the caller keeps the child.
        setExitError("NONONO CHILDREN_ARE_ARRAY!!", 1);
        return nullptr;
    }
    if (isSelfOrAncestor(child, this)) {
        setExitSpecial(child, "variable would become its own ancestor");
        return nullptr;
    }
    if (child->parent == this) {
        Cstring reason = name + " already has this var as a child (" + child->name + ")";
        setExitError(reason.c_str(), 1);
        return child;
    }
    if (child->parent || child->nextSibling) {
        setExitError("variable still hooked to parent or sibling, unhook() first", 1);
        child->unhook();
    }
    child->setParent(this, append);
    return child;
}

Cvariable* Cvariable::addVariableX(char const* childName, int classCode, int append) {
    Cvariable* v = makeVariable(childName, classCode);
    if (v && addVariable(v, append) == nullptr) {
        delete v;
        return nullptr;
    }
    return v;
}

CdirectoryVar* Cvariable::addDirectory(char const* dirName, int append) {
    if (!(flags & VAR_UNIQUE_DIRECTORIES)) {
        Cvariable* existing = getChild(dirName, 0);
        if (existing) {
            if (existing->flags & VAR_DIRECTORY) return static_cast<CdirectoryVar*>(existing);
            char message[1100];
            std::snprintf(message, sizeof(message),
                          "Tried to add dir %.1023s but a variable of different type already exists",
                          dirName ? dirName : "");
            setExitError(message, 1);
        }
    }
    auto* dir = new CdirectoryVar();
    dir->setName(dirName);
    if (addVariable(dir, append) == nullptr) {
        delete dir;
        return nullptr;
    }
    return dir;
}

void Cvariable::setParent(Cvariable* newParent, int append) {
    if (parent == newParent && newParent != nullptr) return;
    if (newParent && (newParent->flags & CHILDREN_ARE_ARRAY)) {
        setExitError("NONONO CHILDREN_ARE_ARRAY!!", 1);
        return;
    }
    if (isSelfOrAncestor(this, newParent)) {
        setExitSpecial(this, "variable would become its own ancestor");
        return;
    }
    if (parent) unhook();
    parent = newParent;
    if (newParent == nullptr) return;
    if (append == 0 && !(newParent->flags & VAR_APPEND_CHILDREN))
        newParent->insertToChildList(this);
    else
        newParent->appendToChildList(this);
}

void Cvariable::insertToChildList(Cvariable* child) {
    child->nextSibling = firstChild;
    firstChild = child;
}

void Cvariable::appendToChildList(Cvariable* child) {
    child->nextSibling = nullptr;
    if (firstChild == nullptr) {
        firstChild = child;
        return;
    }
    getLastChild()->nextSibling = child;
}

Cvariable* Cvariable::findPreviousChildTo(Cvariable* child) {
    Cvariable* c = firstChild;
    if (c == nullptr || c == child) return nullptr;
    for (int steps = 0; c; c = c->nextSibling) {
        if (++steps > kMaxListWalk) {
            setExitError("infinite loop in findPreviousChild", 1);
            return nullptr;
        }
        if (c->nextSibling == child) return c;
    }
    return nullptr;
}

// Splices the node out of its parent's list (or just clears next without a parent).
void Cvariable::detachFromSiblings() {
    if (parent) {
        if (parent->firstChild == this) {
            parent->firstChild = nextSibling;
        } else {
            Cvariable* prev = parent->findPreviousChildTo(this);
            if (prev)
                prev->nextSibling = nextSibling;
            else
                VTRACE(1, "uh oh, this isn't in the list");
        }
    }
    nextSibling = nullptr;
}

void Cvariable::unhook() {
    if (parent) {
        parent->childLeaving(this);
        detachFromSiblings();
    }
    parent = nullptr;
    nextSibling = nullptr;
}

void Cvariable::setAsFirstChild() {
    Cvariable* p = parent;
    if (p == nullptr || p->firstChild == this) return;
    unhook();
    parent = p;
    p->insertToChildList(this);
}

void Cvariable::setAsLastChild() {
    Cvariable* p = parent;
    if (p == nullptr || nextSibling == nullptr) return;
    unhook();
    parent = p;
    p->appendToChildList(this);
}

void Cvariable::reverseChildren() {
    if (flags & CHILDREN_ARE_ARRAY) return; // the array's element links are fixed
    Cvariable* reversed = nullptr;
    Cvariable* c = firstChild;
    while (c) {
        Cvariable* next = c->nextSibling;
        c->nextSibling = reversed;
        reversed = c;
        c = next;
    }
    firstChild = reversed;
}

void Cvariable::moveChildListToNewParent(Cvariable* newParent) {
    if (newParent == nullptr || newParent == this || firstChild == nullptr) return;
    // A damaged list is refused whole before anything moves; the saver winds down.
    for (Cvariable* c = firstChild; c; c = c->nextSibling) {
        if (c->parent != this) {
            VTRACE(1, "parenting problem");
            setExitError("prp", 1);
            return;
        }
    }
    for (Cvariable* c = firstChild; c; c = c->nextSibling)
        c->parent = newParent;
    if (newParent->firstChild == nullptr)
        newParent->firstChild = firstChild;
    else
        newParent->getLastChild()->nextSibling = firstChild;
    firstChild = nullptr;
}

void Cvariable::reparentChildrenWithFlag(unsigned mask, Cvariable* newParent) {
    if (newParent == nullptr || newParent == this) return;
    Cvariable* c = firstChild;
    while (c) {
        Cvariable* next = c->nextSibling;
        if (c->flags & mask) {
            c->unhook();
            newParent->addVariable(c, 0);
        }
        c = next;
    }
}
