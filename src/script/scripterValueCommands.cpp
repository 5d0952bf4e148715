// Built-in commands that declare, set and save variables and make directories: the
// commands settings text is written in, so a saved tree reads back by running it.
#include "script/scripterBuiltins.h"
#include "script/variableSearch.h"
#include "support/cerr.h"
#include "support/helperFunctions.h"
#include "variables/variablePaths.h"
#include "variables/variableBasics.h"

namespace {

// Appends an array element as the array kind itself names them.
void appendElement(Cvariable* array, Cvariable* element, char const* elementName) {
    element->setName(elementName);
    if (array->addVariable(element, 1) == nullptr) delete element; // refused: still ours
}

void appendArrayElements(Cvariable* array, CscriptLine& line) {
    for (int k = 1; k < line.tokenCount(); k++) {
        switch (line.tokenTypes[k]) {
        case TOKEN_STRING_EVAL: {
            auto* v = new CstringVar();
            v->value = line.getString(k, true);
            appendElement(array, v, "sv");
            break;
        }
        case TOKEN_HASH: {
            auto* v = new CintVar();
            v->setElem_float(0, line.getFloat(k));
            appendElement(array, v, "iv");
            break;
        }
        case TOKEN_NUMBER:
        case TOKEN_EXPRESSION: {
            auto* v = new CfloatVar();
            v->value = static_cast<float>(line.getFloat(k));
            appendElement(array, v, (array->name + ":fv").c_str());
            break;
        }
        case TOKEN_LITERAL: {
            auto* v = new CstringVar();
            v->value = line.tokens[k]; // whole bytes, NULs included
            appendElement(array, v, "sv");
            break;
        }
        default:
            break;
        }
    }
}

// ":array float name v0 v1 ...": a float link with its own storage for the values.
void addFloatLinkArray(Cvariable* self, CscriptLine& line) {
    auto* link = new CfloatLinkVar();
    link->setName(line.getString(1, true));
    if (self->addVariable(link, 0) == nullptr) {
        delete link;
        return;
    }
    int count = line.tokenCount() - 2;
    if (count < 1 || link->allocElements(count, 4) == nullptr) return;
    for (int k = 0; k < count; k++)
        link->setElem_float(static_cast<unsigned short>(k), line.getFloat(k + 2));
}

} // namespace

int commandDeclare(CscriptHandler* handler, CscriptLine& line, Cvariable**) {
    Cvariable* self = handler->thisObject;
    if (line.tokenCount() == 0) {
        line.getString(0, true); // records "string grab too high"
        return CMD_STOP;
    }
    Cstring const& varName = line.tokens[0];
    int classCode = stringToVariableType(line.name);
    Cvariable* v = nullptr;
    if (!self->hasFlag(VAR_UNIQUE_DIRECTORIES)) v = self->findVariable(varName.c_str());
    if (v == nullptr) v = self->addVariableX(varName.c_str(), classCode, 0);
    if (v == nullptr) return CMD_STOP;
    if (classCode == CLASS_DIRECTORY) return CMD_DONE;
    if (classCode == CLASS_ARRAY) {
        if (line.getString(0, true) == "float")
            addFloatLinkArray(self, line);
        else
            appendArrayElements(v, line);
        return CMD_DONE;
    }
    if (line.tokenCount() >= 2 && line.setVariableFromLineToken(v, 1, 0)) {
        setExitError("error evaluating", 1);
        return CMD_STOP;
    }
    return CMD_DONE;
}

int commandVar(CscriptHandler* handler, CscriptLine& line, Cvariable**) {
    Cvariable* v = new Cvariable();
    v->setName(line.getString(0, true));
    if (handler->thisObject->addVariable(v, 0) == nullptr) delete v;
    return CMD_DONE;
}

int commandSet(CscriptHandler* handler, CscriptLine& line, Cvariable**) {
    int start = 1;
    Cstring varName;
    if (line.tokenCount() > 0 && line.tokens[0] == "array") {
        varName = line.getString(1, true);
        start = 2;
    } else {
        varName = line.getString(0, true);
    }
    Cvariable* v = searchUpParentsForVariable(handler->thisObject, varName.c_str());
    if (v == nullptr) return CMD_DONE; // settings may name variables this version no longer has
    if (v->hasFlag(VAR_READ_ONLY)) {
        scriptError = 1;
        recommendReinstall = 1;
        Cstring reason = Cstring("set read-only var ") + v->name + " not found in " + scriptName;
        setExitError(reason.c_str(), 1);
        return CMD_STOP;
    }
    int count = line.tokenCount() - start;
    if (count > v->elements()) {
        Cstring reason = Cstring("elements out of range in :set for ") + v->name + " in scrpt:" + scriptName;
        setExitError(reason.c_str(), 1);
        return CMD_STOP;
    }
    if (count < 2) return line.setVariableFromLineToken(v, start, 0) ? CMD_STOP : CMD_DONE;
    for (int k = 0; k < count; k++) {
        unsigned short element = static_cast<unsigned short>(k);
        if (v->hasFlag(VAR_HAS_NUMBER)) {
            v->setElem_float(element, line.getFloat(start + k));
        } else {
            // Text elements keep their text; a number would only be its "%g" form.
            v->setElem_char(element, line.getString(start + k, true).c_str());
        }
    }
    return CMD_DONE;
}

int commandMkdir(CscriptHandler* handler, CscriptLine& line, Cvariable**) {
    Cstring path = line.getString(0, true);
    Cvariable* dir = addVariableForcedPath(handler->thisObject, path.c_str(), CLASS_DIRECTORY, 1);
    if (dir == nullptr) return CMD_STOP;
    // The block's nodes keep script order.
    dir->setFlag(VAR_APPEND_CHILDREN, true);
    if (line.firstChild) runScript(dir, line.firstChild);
    return CMD_DONE;
}

int commandCd(CscriptHandler* handler, CscriptLine& line, Cvariable**) {
    Cstring path = line.getString(0, true);
    Cvariable* dir = searchUpParentsForVariable(handler->thisObject, path.c_str());
    if (dir == nullptr) {
        handler->thisObject->showChildren();
        Cstring reason = Cstring("bad cd to ") + path + " from " + handler->thisObject->getFullPath('/');
        setExitError(reason.c_str(), 1);
        return CMD_STOP;
    }
    if (line.firstChild) runScript(dir, line.firstChild);
    return CMD_DONE;
}

int commandSave(CscriptHandler* handler, CscriptLine& line, Cvariable**) {
    if (line.tokenCount() == 0) {
        handler->thisObject->setSave(1);
        return CMD_DONE;
    }
    Cstring varName = line.getString(0, true);
    Cvariable* v = searchUpParentsForVariable(handler->thisObject, varName.c_str());
    if (v == nullptr) {
        Cstring reason = Cstring("save command didn't find var ") + varName;
        setExitError(reason.c_str(), 1);
        return CMD_STOP;
    }
    int mode = static_cast<int>(line.getFloatOrDefault(1, 1.0));
    if (mode == -1) {
        v->setSave(0);
        v->setSpecialSave(0);
    } else if (mode == 1) {
        v->setSpecialSave(1);
    } else {
        v->setSave(1);
    }
    return CMD_DONE;
}

int commandNosave(CscriptHandler* handler, CscriptLine&, Cvariable**) {
    handler->thisObject->setSave(0);
    return CMD_DONE;
}
