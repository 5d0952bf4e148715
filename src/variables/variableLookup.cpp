// Finding nodes: paths, children by name or position, searches by type, walks.
#include <cstring>
#include <fstream>

#include "support/cerr.h"
#include "variables/variable.h"

namespace {
constexpr int kMaxSiblingSearch = 10000;
constexpr int kMaxSegment = 1023; // longest path segment
constexpr int kMaxShownChildren = 1000;

bool nameStartsWith(Cvariable const* c, char const* prefix, size_t length) {
    return static_cast<size_t>(c->name.size()) >= length && std::memcmp(c->name.c_str(), prefix, length) == 0;
}
} // namespace

Cvariable* Cvariable::findVariable(char const* path) {
    Cvariable* node = this;
    // Iterative so that a long path cannot exhaust the stack.
    while (path) {
        if (path[0] == '/') {
            node = node->getRoot();
            path++;
            continue;
        }
        if (std::strcmp(path, ".") == 0) return node;
        if (path[0] == '.' && path[1] == '.') {
            if (node->parent == nullptr) return nullptr;
            if (path[2] == '\0') return node->parent;
            node = node->parent;
            path += 3;
            continue;
        }
        char const* slash = std::strchr(path, '/');
        if (slash == nullptr) return node->getChild(path, 0);
        size_t length = static_cast<size_t>(slash - path);
        if (length > kMaxSegment) {
            VTRACE(1, "path segment too long in " << node->name);
            return nullptr;
        }
        char segment[kMaxSegment + 1];
        std::memcpy(segment, path, length);
        segment[length] = '\0';
        node = node->getChild(segment, 0);
        if (node == nullptr) return nullptr;
        path = slash + 1;
    }
    return nullptr;
}

Cvariable* Cvariable::findVariableOrExit(char const* path) {
    Cvariable* v = findVariable(path);
    if (v == nullptr) {
        Cstring reason = Cstring("couldn't find variable ") + (path ? path : "");
        setExitError(reason.c_str(), 1);
    }
    return v;
}

Cvariable* Cvariable::getChild(char const* childName, int index) {
    if (childName == nullptr) childName = "";
    int length = static_cast<int>(std::strlen(childName));
    if (length > 0) {
        if (childName[length - 1] == '*') {
            for (Cvariable* c = firstChild; c; c = c->nextSibling) {
                if (nameStartsWith(c, childName, static_cast<size_t>(length - 1))) return c;
            }
        } else {
            for (Cvariable* c = firstChild; c; c = c->nextSibling) {
                if (c->name.compare(childName, length)) {
                    if (index == 0) return c;
                    index--;
                }
            }
        }
    }
    return getChildMorePossibilities(childName, index);
}

Cvariable* Cvariable::getChild(int index) {
    if (flags & CHILDREN_ARE_ARRAY) {
        auto* self = static_cast<CfastChildArrayVar*>(this);
        if (index < 0 || index >= self->elementCount || firstChild == nullptr) {
            VTRACE(1, "Too high child access in " << name << ".  Accessed " << index << "/"
                                                  << self->elementCount);
            return nullptr;
        }
        return reinterpret_cast<Cvariable*>(reinterpret_cast<char*>(firstChild) +
                                            static_cast<size_t>(index) * self->elementStride);
    }
    Cvariable* c = firstChild;
    int i = 0;
    while (c && i < index) {
        c = c->nextSibling;
        i++;
    }
    if (c == nullptr || index < 0) {
        VTRACE(1, "Too high child access in " << name << ".  Accessed " << index << "/" << i);
        return nullptr;
    }
    return c;
}

Cvariable* Cvariable::getChildNoErr(int index) {
    if (index < 0) return nullptr;
    Cvariable* c = firstChild;
    while (c && index > 0) {
        c = c->nextSibling;
        index--;
    }
    return c;
}

Cvariable* Cvariable::getChildAndIndex(Cstring const& childName, int& index) {
    int i = 0;
    for (Cvariable* c = firstChild; c; c = c->nextSibling, i++) {
        if (c->name == childName) {
            index = i;
            return c;
        }
    }
    return nullptr;
}

bool Cvariable::hasChild(Cvariable* child) {
    for (Cvariable* c = firstChild; c; c = c->nextSibling) {
        if (c == child) return true;
    }
    return false;
}

int Cvariable::childNum(Cvariable* child) {
    if (firstChild == nullptr) return -1;
    int i = 0;
    for (Cvariable* c = firstChild; c; c = c->nextSibling, i++) {
        if (c == child || c->nextSibling == nullptr) return i;
    }
    return i;
}

int Cvariable::countChildren(int type) {
    int count = 0;
    for (Cvariable* c = firstChild; c; c = c->nextSibling) {
        if (type == -1) {
            count++;
            continue;
        }
        VTRACE(2, "countChildren: " << c->name);
        if (c->getType() == type) count++;
    }
    return count;
}

Cvariable* Cvariable::getLastChild() {
    return firstChild ? firstChild->goToLast() : nullptr;
}

Cvariable* Cvariable::goToLast() {
    Cvariable* c = this;
    while (c->nextSibling)
        c = c->nextSibling;
    return c;
}

Cvariable* Cvariable::getRoot() {
    Cvariable* c = this;
    while (c->parent)
        c = c->parent;
    return c;
}

int Cvariable::getMyDepthFromRoot() {
    int depth = 0;
    for (Cvariable* c = parent; c; c = c->parent)
        depth++;
    return depth;
}

Cstring Cvariable::getFullPath(char separator) {
    Cstring path;
    getFullPath(path, separator);
    return path;
}

void Cvariable::getFullPath(Cstring& out, char separator) {
    out = name.size() ? name : Cstring("unnamed");
    char sep[2] = {separator, '\0'};
    for (Cvariable* a = parent; a; a = a->parent)
        out = a->name + sep + out;
}

Cvariable* Cvariable::findFirstChildOfType(int type) {
    for (Cvariable* c = firstChild; c; c = c->nextSibling) {
        if (c->getType() == type) return c;
    }
    return nullptr;
}

Cvariable* Cvariable::findNextSiblingOfType(int type, int skip) {
    Cvariable* c = this;
    for (int examined = 0; examined < kMaxSiblingSearch && c; examined++) {
        if (c->getType() == type) {
            if (skip == 0) return c;
            skip--;
        }
        if (c->nextSibling)
            c = c->nextSibling;
        else
            c = c->parent ? c->parent->firstChild : nullptr;
    }
    setExitError("fns error", 1);
    return nullptr;
}

Cvariable* Cvariable::marchNext(int direction, int wrap) {
    if (parent == nullptr) return nullptr;
    if (direction == 1) {
        if (nextSibling) return nextSibling;
        return wrap ? parent->firstChild : nullptr;
    }
    if (parent->firstChild == this) return wrap ? parent->getLastChild() : nullptr;
    return parent->findPreviousChildTo(this);
}

void Cvariable::findAndAddChildrenStartingWith(char const* prefix, std::vector<Cvariable*>& out) {
    if (prefix == nullptr) prefix = "";
    size_t length = std::strlen(prefix);
    for (Cvariable* c = firstChild; c; c = c->nextSibling) {
        if (nameStartsWith(c, prefix, length)) out.push_back(c);
    }
}

int Cvariable::fillVectorWithAllChildren(std::vector<Cvariable*>& out) {
    out.resize(static_cast<size_t>(countChildren(-1)));
    size_t i = 0;
    for (Cvariable* c = firstChild; c; c = c->nextSibling)
        out[i++] = c;
    return static_cast<int>(out.size());
}

// Names along the trickle-down list (the children, unless a class routes it elsewhere).
int Cvariable::fillVectorWithAllChildren(std::vector<Cstring>& out) {
    int added = 0;
    for (Cvariable* c = getFirstTrickleDownChild(); c; c = c->nextSibling, added++)
        out.push_back(c->name);
    return added;
}

void Cvariable::traverseAndCallback(void* context, void (*callback)(void*, Cvariable*), int classCode) {
    for (Cvariable* c = this; c; c = c->nextSibling) {
        if (classCode == -1 || classCode == (c->getClass() & 0xFFFF)) callback(context, c);
        if (c->firstChild) c->firstChild->traverseAndCallback(context, callback, classCode);
    }
}

void Cvariable::trickleDownMessage(int message, void* data) {
    trickleDownPreChildProcessingMessage(message, data);
    for (Cvariable* c = getFirstTrickleDownChild(); c; c = c->nextSibling)
        c->trickleDownMessage(message, data);
    trickleDownPostChildProcessingMessage(message, data);
}

void Cvariable::showChildren(std::ostream* out) {
    std::ostream& s = out ? *out : traceStream();
    s << "children for " << name << ": root=" << static_cast<void*>(getRoot()) << "\n";
    int shown = 0;
    for (Cvariable* c = firstChild; c && shown < kMaxShownChildren; c = c->nextSibling, shown++)
        s << c->name << "(" << (c->parent ? c->parent->name : Cstring()) << ") = ";
    s << "\n";
    s.flush();
}

void Cvariable::showDir() {
    for (Cvariable* c = firstChild; c; c = c->nextSibling)
        VTRACE(2, "child:" << c->name);
}
