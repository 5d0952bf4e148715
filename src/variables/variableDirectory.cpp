// CdirectoryVar helpers, padded element lists and adopted child arrays.
#include "support/cerr.h"
#include "variables/variableBasics.h"

CdirectoryVar::CdirectoryVar() {
    flags |= VAR_DIRECTORY;
}

CdirectoryVar::~CdirectoryVar() = default;

char const* CdirectoryVar::scriptObjectAddCommand() {
    return (flags & VAR_NOT_DELETED_BY_PARENT) ? "cd" : "mkdir";
}

CdirectoryVar* CdirectoryVar::findDirectoryOrMake(char const* dirName, bool append) {
    Cvariable* existing = getChild(dirName, 0);
    if (existing && (existing->flags & VAR_DIRECTORY)) return static_cast<CdirectoryVar*>(existing);
    return addDirectory(dirName, append ? 1 : 0);
}

Cvariable* CdirectoryVar::getArray(char const* arrayName) {
    if (firstChild == nullptr) return nullptr;
    Cvariable* c = getChild(arrayName, 0);
    if (c == nullptr) return nullptr;
    if (c->getType() == TYPE_ARRAY) return c;
    setExitError("tried to find dir but got something else", 1);
    return nullptr;
}

Cvariable* CdirectoryVar::getArrayVarElementOrMake(char const* arrayName, int index, int classCode,
                                                   float value) {
    Cvariable* array = getArray(arrayName);
    if (array == nullptr) {
        array = new CarrayVar();
        array->setName(arrayName);
        addVariable(array, 1);
    }
    return array->padWithChildrenAndGet("v", index, classCode, value);
}

char const* CdirectoryVar::getStringVarValueOrReturnDefault(char const* childName, char const* defaultText) {
    Cvariable* c = getChild(childName, 0);
    if (c && (c->flags & VAR_HAS_STRING)) return c->getString();
    return defaultText;
}

Cvariable* Cvariable::padWithChildrenAndGet(char const* childName, int index, int classCode, float value) {
    if (index < 0) return nullptr;
    int count = countChildren(-1);
    if (count > index) return getChild(index);
    Cvariable* made = nullptr;
    for (; count <= index; count++) {
        made = addVariableX(childName, classCode, 1);
        if (made == nullptr) return nullptr;
        if (classCode == CLASS_SHORT || classCode == CLASS_INT || classCode == CLASS_FLOAT)
            made->setElem_float(0, value);
    }
    return made;
}

void CfastChildArrayVar::addChildArrays(Cvariable* array, int count, int stride, int classCode) {
    if (firstChild) {
        setExitError("childArray already exists!", 1);
        return;
    }
    if (array == nullptr || count < 1 || stride < 1 || stride > 0xFFFF) return;
    flags |= CHILDREN_ARE_ARRAY;
    elementStride = static_cast<unsigned short>(stride);
    elementClass = static_cast<unsigned short>(classCode);
    elementCount = count;
    char* base = reinterpret_cast<char*>(array);
    for (int i = 0; i < count; i++) {
        auto* element = reinterpret_cast<Cvariable*>(base + static_cast<size_t>(i) * stride);
        element->parent = this;
        element->flags |= VAR_ARRAY_ELEMENT | VAR_NOT_DELETED_BY_PARENT;
        element->nextSibling = i + 1 < count
                                   ? reinterpret_cast<Cvariable*>(base + static_cast<size_t>(i + 1) * stride)
                                   : nullptr;
    }
    firstChild = array;
}
