// Built-in commands that delete, save, move and walk nodes of the tree.
#include <vector>

#include "script/scriptCommands.h"
#include "script/scriptOrigin.h"
#include "script/variableSearch.h"
#include "support/cerr.h"
#include "support/helperFunctions.h"
#include "variables/variableConvert.h"

namespace {

// True when node is target or one of its ancestors.
bool isSelfOrAncestor(Cvariable* node, Cvariable* target) {
    for (Cvariable* a = target; a; a = a->parent) {
        if (a == node) return true;
    }
    return false;
}

} // namespace

void deleteVariableInUse(Cvariable* node, Cvariable* target, Cvariable* line) {
    // The running script and its target must outlive the line that deletes them: they
    // go to the trash, which is emptied between frames.
    if (isSelfOrAncestor(node, target) || isSelfOrAncestor(node, line)) node->flags |= VAR_DEFER_DELETE;
    deleteVariable(node);
}

int commandDelete(CscriptHandler* handler, CscriptLine& line, Cvariable**) {
    Cvariable* self = handler->thisObject;
    Cstring path = line.getString(0, true);
    Cvariable* v = searchUpParentsForVariable(self, path.c_str());
    if (v == nullptr) {
        if (line.tokenCount() == 2) {
            commandExitWith("delete %s, var not found", path.c_str());
            return CMD_STOP;
        }
        return commandEnding();
    }
    if (v->parent == nullptr) {
        // A tree's root belongs to the code that made it (the registry, a scratch tree):
        // deleting it from a script, even a settings file's, would leave its owner dangling.
        commandExitWith("delete %s refused: the root of its tree", path.c_str());
        return CMD_STOP;
    }
    deleteVariableInUse(v, self, &line);
    return commandEnding();
}

int commandSaveVar(CscriptHandler* handler, CscriptLine& line, Cvariable**) {
    if (line.tokenCount() < 4) {
        line.getString(3, true); // records the missing token
        return CMD_STOP;
    }
    Cvariable* v = handler->thisObject->findVariable(line.getString(0, true).c_str());
    if (v == nullptr) return commandEnding();
    Cstring file = line.getFilename(1);
    bool keepSiblings = line.getFloat(2) != 0;
    bool all = line.getFloat(3) != 0;
    if (erroredExit) return CMD_STOP;
    if (!scriptMayTouchFile(file.c_str())) return CMD_DONE;
    v->saveSettings(file.c_str(), keepSiblings, all);
    return commandEnding();
}

int commandSetmask(CscriptHandler* handler, CscriptLine& line, Cvariable**) {
    Cvariable* v = searchUpParentsForVariable(handler->thisObject, line.getString(0, true).c_str());
    if (v == nullptr || !(v->flags & VAR_HAS_NUMBER)) return commandEnding();
    int mask = varconv::truncToInt(line.getFloat(1));
    int on = 1;
    if (line.tokenCount() == 3) on = varconv::textToInt(line.getString(2, true).c_str());
    if (erroredExit) return CMD_STOP;
    v->setInt(
        static_cast<int>(setMask(static_cast<unsigned>(v->getInt()), static_cast<unsigned>(mask), on != 0)));
    return commandEnding();
}

int commandSetParent(CscriptHandler* handler, CscriptLine& line, Cvariable**) {
    Cvariable* self = handler->thisObject;
    Cstring path = line.getString(0, true);
    Cvariable* p = self->parent ? self->parent->findVariable(path.c_str()) : nullptr;
    if (p == nullptr) {
        setExitError("parent not found", 1);
        return CMD_STOP;
    }
    self->setParent(p, 0);
    return commandEnding();
}

int commandAddPath(CscriptHandler* handler, CscriptLine& line, Cvariable**) {
    Cvariable* v = handler->thisObject->findVariable(line.getString(0, true).c_str());
    if (v) addScriptSearchPath(v, 0);
    return commandEnding();
}

int commandSetPath(CscriptHandler* handler, CscriptLine& line, Cvariable**) {
    Cvariable* self = handler->thisObject;
    Cstring name = line.getString(0, true);
    Cvariable* v = self->findVariable(name.c_str());
    if (v == nullptr) {
        commandExitWith("setpath error: variable %s not found", name.c_str());
        return CMD_STOP;
    }
    if (v->getType() != TYPE_STRING) return commandEnding();
    Cvariable* t = searchUpParentsForVariable(self, line.getString(1, true).c_str());
    v->setElem_char(0, t ? t->getFullPath('/').c_str() : "");
    return commandEnding();
}

int commandForEachChild(CscriptHandler* handler, CscriptLine& line, Cvariable**) {
    Cstring text = line.getString(1, true);
    Cstring path = line.getString(0, true);
    Cvariable* d = handler->thisObject->findVariable(path.c_str());
    if (d == nullptr) {
        VTRACE(1, "***path " << path << " not found");
        return commandEnding();
    }
    // The text may delete the child it runs on or its siblings: take the list first and
    // skip any child that is gone by the time its turn comes.
    std::vector<Cvariable*> children;
    d->fillVectorWithAllChildren(children);
    for (Cvariable* child : children) {
        if (erroredExit) break;
        if (!d->hasChild(child)) continue;
        runStringScript(child, text.c_str());
    }
    return commandEnding();
}
