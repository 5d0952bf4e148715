// How nodes die: destruction with children, deferred deletion into trash directories.
#include "support/cerr.h"
#include "variables/variableLinks.h"
#include "variables/variablePaths.h"

Cvariable::~Cvariable() {
    flags |= VAR_BEING_DELETED;
    // Scripts may hold the node as a search path: it must not outlive it there.
    if (!alternateVariableSearchPaths.empty()) removeScriptSearchPath(this);
    deleteChildren();
    unhook();
    allocedVariables--;
}

void Cvariable::deleteChildren() {
    // An adopted array is released whole through its first element, once.
    Cvariable* arrayHead = (flags & CHILDREN_ARE_ARRAY) ? firstChild : nullptr;
    while (Cvariable* c = firstChild) {
        if (c->parent == nullptr) {
            setExitError((Cstring("problem with ") + c->name + "- parent not set").c_str(), 1);
            // Unlink it rather than stop, so no child is left in a list we may free.
            firstChild = c->nextSibling;
            c->nextSibling = nullptr;
            continue;
        }
        if (c->flags & VAR_BEING_DELETED) {
            VTRACE(1, c->name << " already being deleted");
            // Its own destructor finishes it; it must not unhook from us later.
            firstChild = c->nextSibling;
            c->nextSibling = nullptr;
            c->parent = nullptr;
            continue;
        }
        if (c->parent != this) {
            // Linked here but claimed by another node: not ours to unhook or destroy.
            VTRACE(1, "problem with " << c->name << "- parent is " << c->parent->name);
            firstChild = c->nextSibling;
            c->nextSibling = nullptr;
            continue;
        }
        if (c->flags & DO_PREPARE_FOR_DELETE) c->prepareForDelete();
        if (firstChild != c) continue; // prepareForDelete rearranged the list; look again
        c->unhook();
        if (c->flags & VAR_NOT_DELETED_BY_PARENT) {
            VTRACE(2, "child is part of an array, skip the delete - handled in ~Cvariable");
            continue;
        }
        delete c;
    }
    if (arrayHead) {
        flags &= ~CHILDREN_ARE_ARRAY;
        if (auto* self = dynamic_cast<CfastChildArrayVar*>(this)) self->elementCount = 0;
        arrayHead->deleteArrayOfMeStartingWithMe();
    }
}

void Cvariable::deleteChild(char const* childName) {
    Cvariable* c = getChild(childName, 0);
    if (c) deleteVariable(c);
}

void Cvariable::limitChildren(int count) {
    if (firstChild == nullptr || (flags & CHILDREN_ARE_ARRAY)) return;
    if (count < 1) count = 1;
    Cvariable* keep = getChildNoErr(count - 1);
    if (keep == nullptr) return;
    while (Cvariable* extra = keep->nextSibling)
        delete extra; // the destructor unhooks it
}

void deleteVariable(Cvariable* node) {
    if (node == nullptr) return;
    if (node == variableTrashDir) {
        emptyTrash(); // the holder itself lives on
        return;
    }
    if (node->flags & VAR_ARRAY_ELEMENT) {
        // Elements live inside their array's block; the array goes as a whole.
        VTRACE(1, "DELETE_VARIABLE refused for array element " << node->name);
        return;
    }
    VTRACE(4, "DELETE_VARIABLE " << node->name);
    node->prepareForDelete();
    Cvariable* trash = node->getTrashDir();
    if (!(node->flags & VAR_DEFER_DELETE) && trash == nullptr) {
        VTRACE(4, "deleting var");
        delete node;
        VTRACE(4, "done");
        return;
    }
    if (trash) {
        VTRACE(4, "PUTTING " << node->name << " IN TRASH DIR");
        // A later deleteVariable destroys it at once.
        if (auto* destined = dynamic_cast<CvarTrashDestined*>(node)) destined->trashDir = nullptr;
    } else {
        trash = variableTrashDir;
    }
    node->setParent(trash, 0);
    node->flags &= ~VAR_DEFER_DELETE;
    node->flags |= VAR_IN_TRASH;
}

void emptyTrash() {
    variableTrashDir->deleteChildren();
}
