// Cvariable: construction, flags, the base virtual operations and the class factory.
#include "variables/variable.h"

#include <cstdio>

#include "support/cerr.h"
#include "variables/variableBasics.h"
#include "variables/variableLinks.h"

int allocedVariables = 0;
CdirectoryVar* globalVariablesDir = nullptr;
// Made at static initialisation and never freed, so it outlives every tree.
Cvariable* variableTrashDir = new Cvariable();

Cvariable::Cvariable() {
    allocedVariables++;
}

void setExitSpecial(Cvariable* var, char const* text) {
    Cstring reason = Cstring(text) + " in var " + (var ? var->name : Cstring());
    setExitError(reason.c_str(), 1);
}

void showRemainingVariables() {
    VTRACE(2, "REMAINING alloced variables: " << allocedVariables);
}

// ---- naming and flags ----

void Cvariable::setName(char const* text) {
    if (text == nullptr) text = "";
    name = text;
}

void Cvariable::setName(Cstring const& text) {
    name = text;
}

void Cvariable::setFlag(unsigned mask, bool on) {
    if (on)
        flags |= mask;
    else
        flags &= ~mask;
}

void Cvariable::setSave(int on) {
    setFlag(VAR_SAVE, on != 0);
}

void Cvariable::setDelete(int deletable) {
    setFlag(VAR_NOT_DELETED_BY_PARENT, deletable == 0);
}

void Cvariable::setSpecialSave(int on) {
    if (on)
        flags |= VAR_SAVE_COMMAND | VAR_SAVE | VAR_SAVE_ALL_CHILDREN;
    else
        flags &= ~(VAR_SAVE_COMMAND | VAR_SAVE);
}

void Cvariable::setMyChildrenSaveFlagsBasedOnNamesInDir(Cvariable* dir) {
    if (dir == nullptr) return;
    for (Cvariable* c = firstChild; c; c = c->nextSibling) {
        for (Cvariable* d = dir->firstChild; d; d = d->nextSibling) {
            if (d->name == c->name) {
                c->setSave(1);
                return;
            }
        }
    }
}

// ---- base virtual operations ----

void Cvariable::messageFromMaster(int, Cvariable*) {}
void Cvariable::deleteArrayOfMeStartingWithMe() {}
int Cvariable::update() {
    return 0;
}
void Cvariable::setDiskPath(Cstring const&) {}
Cvariable* Cvariable::getTrashDir() {
    return nullptr;
}
Cstring Cvariable::getDiskPath() {
    return Cstring();
}
void Cvariable::setNumElements(int) {}
Cvariable* Cvariable::getChildMorePossibilities(char const*, int) {
    return nullptr;
}
void Cvariable::trickleDownPreChildProcessingMessage(int, void*) {}
void Cvariable::trickleDownPostChildProcessingMessage(int, void*) {}
Cvariable* Cvariable::getFirstTrickleDownChild() {
    return firstChild;
}
int Cvariable::instanceManaged() {
    return 0;
}
int Cvariable::processLoadTokens(std::vector<Cstring>&, int, int) {
    return 0;
}
int Cvariable::postLoadInitialization() {
    return 0;
}
void Cvariable::prepareForDelete() {}
int Cvariable::getType() {
    return TYPE_VAR;
}
char const* Cvariable::getClassName() {
    return "MISC_VAR";
}
int Cvariable::getLocalConstant(Cstring, double&) {
    return 1;
}
int Cvariable::getClass() {
    return CLASS_VAR;
}
int Cvariable::isDirectory() {
    return 0;
}
Cstring Cvariable::getSaveString() {
    return Cstring();
}
int Cvariable::elements() {
    return 1;
}
char const* Cvariable::typePrefix() {
    return "";
}

char const* Cvariable::operator=(char const* text) {
    setElem_char(0, text);
    return text;
}

Cvariable::operator char const*() {
    return getElem_char(0);
}
void Cvariable::setFloat(double value) {
    setElem_float(0, value);
}
void Cvariable::setString(char const* text) {
    setElem_char(0, text);
}
void Cvariable::setInt(int value) {
    setElem_int(0, value);
}
double Cvariable::getFloat() {
    return getElem_float(0);
}
int Cvariable::getInt() {
    return getElem_int(0);
}
char const* Cvariable::getString() {
    return getElem_char(0);
}

// A plain node holds no value: every element access is a script or data error.
void Cvariable::setElem_char(unsigned short, char const*) {
    setExitSpecial(this, "!var setElem_char");
}

char const* Cvariable::getElem_char(unsigned short) {
    setExitSpecial(this, "!var getElem_char");
    return "";
}

void Cvariable::setElem_float(unsigned short, double) {
    setExitSpecial(this, "!var setElem_float");
}

double Cvariable::getElem_float(unsigned short) {
    setExitSpecial(this, "!var getElem_float");
    return 0.0;
}

void Cvariable::setElem_int(unsigned short, int) {
    setExitSpecial(this, "!var setElem_int");
}

int Cvariable::getElem_int(unsigned short) {
    setExitSpecial(this, "!var getElem_int");
    return 0;
}

// An unknown command climbs to the root, which answers 1.
unsigned Cvariable::processCommand(CscriptHandler* handler, CscriptLine& line) {
    if (exitSaver) return CMD_STOP;
    if (parent == nullptr) return CMD_NOT_HANDLED;
    VTRACE(2, "no found - search up parent " << parent->name << " for command.");
    return parent->processCommand(handler, line);
}

// ---- factory ----

Cvariable* newVariableOfClass(int classCode) {
    switch (classCode) {
    case CLASS_VAR:
        return new Cvariable();
    case CLASS_FAST_CHILD_ARRAY:
        return new CfastChildArrayVar();
    case CLASS_SHORT:
        return new CshortVar();
    case CLASS_INT:
        return new CintVar();
    case CLASS_FLOAT:
        return new CfloatVar();
    case CLASS_STRING:
        return new CstringVar();
    case CLASS_LINK:
        return new ClinkVar();
    case CLASS_INT_LINK:
        return new CintLinkVar();
    case CLASS_FLOAT_LINK:
        return new CfloatLinkVar();
    case CLASS_STRING_LINK:
        return new CstringLinkVar();
    case CLASS_SHORT_LINK:
        return new CshortLinkVar();
    case CLASS_ARRAY:
        return new CarrayVar();
    case CLASS_DIRECTORY:
        return new CdirectoryVar();
    case CLASS_RESOURCE_FILE:
        return new CresourceFileVar();
    case CLASS_MEMORY_CHUNK:
        return new CmemoryChunkVar();
    default:
        return nullptr;
    }
}

Cvariable* makeVariable(int classCode) {
    if (Cvariable* made = newVariableOfClass(classCode)) return made;
    char message[64];
    std::snprintf(message, sizeof(message), "makeVariable unknown type %d", classCode);
    setExitError(message, 1);
    return nullptr;
}

Cvariable* makeVariable(char const* name, int classCode) {
    Cvariable* v = makeVariable(classCode);
    if (v) v->setName(name);
    return v;
}

Cvariable* makeVariable(char const* name, char const* keyword) {
    return makeVariable(name, stringToVariableType(Cstring(keyword)));
}

int stringToVariableType(Cstring keyword) {
    static struct {
        char const* word;
        int code;
    } const table[] = {
        {"var", CLASS_VAR},       {"short", CLASS_SHORT},   {"int", CLASS_INT},
        {"float", CLASS_FLOAT},   {"string", CLASS_STRING}, {"s", CLASS_STRING},
        {"script", CLASS_SCRIPT}, {"array", CLASS_ARRAY},   {"directory", CLASS_DIRECTORY},
        {"dir", CLASS_DIRECTORY},
    };
    for (auto const& entry : table) {
        if (keyword == entry.word) return entry.code;
    }
    VTRACE(1, "unknown menu type " << keyword);
    setExitError("umtUNSET", 1);
    return CLASS_VAR;
}
