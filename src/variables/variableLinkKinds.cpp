// Links over outside storage and the register calls that make them.
#include <cstring>
#include <new>

#include "support/cerr.h"
#include "variables/variableConvert.h"
#include "variables/variableLinks.h"

using namespace varconv;

// ---- ClinkVar ----

ClinkVar::~ClinkVar() {
    clearPointer();
}

void ClinkVar::setNumElements(int count) {
    if (count < 0 || count >= 65536) {
        setExitSpecial(this, "elsToHigh");
        return;
    }
    elementCount = static_cast<unsigned short>(count);
}

void ClinkVar::setObjectSize(int size) {
    if (size < 0 || size >= 65536) {
        setExitSpecial(this, "obsToHigh");
        return;
    }
    elementSize = static_cast<unsigned short>(size);
}

void ClinkVar::setPointer(void* where) {
    unsigned short keptSize = elementSize ? elementSize : naturalSize;
    if (storage) clearPointer();
    storage = where;
    elementSize = keptSize;
    if (elementCount == 0) elementCount = 1;
}

void ClinkVar::clearPointer() {
    if (storage == nullptr) return;
    if (flags & VAR_OWNS_STORAGE) {
        destroyOwned();
        delete[] static_cast<unsigned char*>(storage);
        flags &= ~VAR_OWNS_STORAGE;
    }
    storage = nullptr;
    ownedBytes = 0;
    elementCount = 0;
    elementSize = 0;
}

void* ClinkVar::allocElements(int count, int size) {
    clearPointer();
    if (count < 1 || size < 1) return nullptr;
    if (count >= 65536 || size >= 65536) {
        setExitSpecial(this, count >= 65536 ? "elsToHigh" : "obsToHigh");
        return nullptr;
    }
    ownedBytes = static_cast<size_t>(count) * static_cast<size_t>(size);
    storage = new unsigned char[ownedBytes](); // cleared: unset elements are saved as zeros, not leftovers
    elementCount = static_cast<unsigned short>(count);
    elementSize = static_cast<unsigned short>(size);
    flags |= VAR_OWNS_STORAGE;
    constructOwned();
    return storage;
}

void ClinkVar::zeroAllocedMem() {
    if (storage == nullptr) return;
    if (flags & VAR_HAS_STRING) {
        for (unsigned short i = 0; i < elementCount; i++)
            setElem_char(i, "");
        return;
    }
    size_t bytes = static_cast<size_t>(elementCount) * elementSize;
    if (ownedBytes && bytes > ownedBytes) bytes = ownedBytes;
    std::memset(storage, 0, bytes);
}

void* ClinkVar::elementAddress(unsigned short index, unsigned bytes, char const* operation) {
    size_t offset = static_cast<size_t>(index) * elementSize;
    bool inside = storage && index < elementCount && elementSize >= bytes;
    if (inside && ownedBytes) inside = offset + bytes <= ownedBytes;
    if (!inside) {
        VTRACE(1, operation << " out of range in " << name << ": element " << index << "/" << elementCount);
        return nullptr;
    }
    return static_cast<unsigned char*>(storage) + offset;
}

// Typed element access through memcpy: element sizes need not keep the type's alignment.
template <typename T> static bool readElement(ClinkVar* link, unsigned short index, T& out, char const* op) {
    void* where = link->elementAddress(index, sizeof(T), op);
    if (where == nullptr) return false;
    std::memcpy(&out, where, sizeof(T));
    return true;
}

template <typename T>
static bool writeElement(ClinkVar* link, unsigned short index, T value, char const* op) {
    void* where = link->elementAddress(index, sizeof(T), op);
    if (where == nullptr) return false;
    std::memcpy(where, &value, sizeof(T));
    return true;
}

// ---- numeric links ----

template <typename Kind> void CnumberLinkVar<Kind>::setElem_char(unsigned short i, char const* text) {
    using Stored = typename Kind::Stored;
    auto value = Kind::fromText(text);
    if (storable(value, name.c_str()) &&
        writeElement<Stored>(this, i, static_cast<Stored>(value), "setElem_char"))
        notifySlavesIfAny();
}
template <typename Kind> char const* CnumberLinkVar<Kind>::getElem_char(unsigned short i) {
    typename Kind::Stored v = 0;
    readElement(this, i, v, "getElem_char");
    return Kind::toText(v);
}
template <typename Kind> void CnumberLinkVar<Kind>::setElem_float(unsigned short i, double value) {
    using Stored = typename Kind::Stored;
    auto converted = Kind::fromDouble(value);
    if (storable(converted, name.c_str()) &&
        writeElement<Stored>(this, i, static_cast<Stored>(converted), "setElem_float"))
        notifySlavesIfAny();
}
template <typename Kind> double CnumberLinkVar<Kind>::getElem_float(unsigned short i) {
    typename Kind::Stored v = 0;
    readElement(this, i, v, "getElem_float");
    return v;
}
template <typename Kind> void CnumberLinkVar<Kind>::setElem_int(unsigned short i, int value) {
    using Stored = typename Kind::Stored;
    if (writeElement<Stored>(this, i, static_cast<Stored>(Kind::fromInt(value)), "setElem_int"))
        notifySlavesIfAny();
}
template <typename Kind> int CnumberLinkVar<Kind>::getElem_int(unsigned short i) {
    typename Kind::Stored v = 0;
    readElement(this, i, v, "getElem_int");
    return Kind::toInt(v);
}

template class CnumberLinkVar<IntKind>;
template class CnumberLinkVar<ShortKind>;
template class CnumberLinkVar<FloatKind>;

// The block was made by new[] of CshortLinkVar and adopted by a CfastChildArrayVar.
void CshortLinkVar::deleteArrayOfMeStartingWithMe() {
    if (flags & VAR_ARRAY_ELEMENT) delete[] this;
}

// ---- float link ----

void CfloatLinkVar::setFloat(double value) {
    setElem_float(0, value);
}
double CfloatLinkVar::getFloat() {
    return getElem_float(0);
}

// ---- string link ----

CstringLinkVar::~CstringLinkVar() {
    clearPointer();
} // while destroyOwned still reaches this kind

// Strings live at element slots only when a slot can hold one, suitably aligned.
static bool holdsStrings(unsigned short elementSize) {
    return elementSize >= sizeof(Cstring) && elementSize % alignof(Cstring) == 0;
}

void CstringLinkVar::constructOwned() {
    if (!holdsStrings(elementSize)) return;
    for (unsigned short i = 0; i < elementCount; i++)
        new (static_cast<unsigned char*>(storage) + static_cast<size_t>(i) * elementSize) Cstring();
}

void CstringLinkVar::destroyOwned() {
    if (!holdsStrings(elementSize)) return;
    for (unsigned short i = 0; i < elementCount; i++)
        reinterpret_cast<Cstring*>(static_cast<unsigned char*>(storage) +
                                   static_cast<size_t>(i) * elementSize)
            ->~Cstring();
}

static Cstring* stringElement(ClinkVar* link, unsigned short i, char const* op) {
    if (!holdsStrings(link->elementSize)) {
        VTRACE(1, op << " out of range in " << link->name << ": element " << i << "/" << link->elementCount);
        return nullptr;
    }
    return static_cast<Cstring*>(link->elementAddress(i, sizeof(Cstring), op));
}

void CstringLinkVar::setElem_char(unsigned short i, char const* text) {
    Cstring* s = stringElement(this, i, "setElem_char");
    if (s == nullptr) return;
    *s = text ? text : "";
    notifySlavesIfAny();
}
char const* CstringLinkVar::getElem_char(unsigned short i) {
    Cstring* s = stringElement(this, i, "getElem_char");
    return s ? s->c_str() : "";
}
void CstringLinkVar::setElem_float(unsigned short i, double value) {
    Cstring* s = stringElement(this, i, "setElem_float");
    if (s == nullptr) return;
    *s = toFloat(value); // Cstring writes the same "%g" text
    notifySlavesIfAny();
}
double CstringLinkVar::getElem_float(unsigned short i) {
    Cstring* s = stringElement(this, i, "getElem_float");
    return s ? textToDouble(s->c_str()) : 0.0;
}
void CstringLinkVar::setElem_int(unsigned short i, int value) {
    Cstring* s = stringElement(this, i, "setElem_int");
    if (s == nullptr) return;
    *s = value;
    notifySlavesIfAny();
}
int CstringLinkVar::getElem_int(unsigned short i) {
    Cstring* s = stringElement(this, i, "getElem_int");
    return s ? textToInt(s->c_str()) : 0;
}

// ---- register calls ----

// Names the link, binds it, sets its save flag and prepends it under owner.
static Cvariable* hookRegistered(Cvariable* owner, Cvariable* link, char const* name, int save) {
    link->setName(name);
    link->setSave(save);
    link->setParent(owner, 0);
    return link;
}

// The numeric register calls differ only in the link kind.
template <typename Link, typename Field>
static Cvariable* registerNumber(Cvariable* owner, Field& field, char const* name, int save) {
    auto* link = new Link();
    link->setPointer(&field);
    link->flags |= VAR_REGISTERED;
    return hookRegistered(owner, link, name, save);
}

Cvariable* Cvariable::registerInt(int& field, char const* fieldName, int save) {
    return registerNumber<CintLinkVar>(this, field, fieldName, save);
}

Cvariable* Cvariable::registerShort(short& field, char const* fieldName, int save) {
    return registerNumber<CshortLinkVar>(this, field, fieldName, save);
}

Cvariable* Cvariable::registerFloat(float& field, char const* fieldName, int save) {
    return registerNumber<CfloatLinkVar>(this, field, fieldName, save);
}

Cvariable* Cvariable::registerString(Cstring& field, char const* fieldName, int save) {
    auto* link = new CstringLinkVar();
    link->setPointer(&field);
    return hookRegistered(this, link, fieldName, save);
}

Cvariable* Cvariable::registerPointer(void*& field, char const* fieldName, int save) {
    auto* link = new CpointerVar();
    link->target = &field;
    return hookRegistered(this, link, fieldName, save);
}

Cvariable* Cvariable::registerVariable(Cvariable* target) {
    auto* link = new CvariableLinkVar();
    link->target = target;
    link->setParent(this, 0);
    return link;
}

Cvariable* registerResourcePointer(Cvariable* owner, CmanagedResourceVar** field, char const* name) {
    if (owner == nullptr) return nullptr;
    auto* link = new CresourceReference();
    link->target = field;
    link->setName(name);
    link->setParent(owner, 0);
    return link;
}
