// Value kinds, links over outside storage, arrays and pointers.
//
// Value kinds own one value and ignore the element index. Link kinds point at storage
// elsewhere (usually a member field of the owning object, bound by the register calls)
// so that scripts and settings files read and write the object's own fields by name.
// All element access converts between int, double and text by one fixed table.
#pragma once

#include "variables/variable.h"
#include "variables/variableConvert.h"

// The numeric value kinds share one body; Kind supplies its row of the conversion table.
template <typename Kind> class CnumberVar : public Cvariable {
  public:
    using Cvariable::operator=;
    CnumberVar() { flags |= VAR_HAS_NUMBER; }
    void setElem_char(unsigned short index, char const* text) override;
    char const* getElem_char(unsigned short index) override;
    void setElem_float(unsigned short index, double value) override;
    double getElem_float(unsigned short index) override;
    void setElem_int(unsigned short index, int value) override;
    int getElem_int(unsigned short index) override;

    typename Kind::Value value = 0;
};

extern template class CnumberVar<varconv::ShortKind>;
extern template class CnumberVar<varconv::IntKind>;
extern template class CnumberVar<varconv::FloatKind>;

// A signed 16-bit value, held widened in an int.
class CshortVar : public CnumberVar<varconv::ShortKind> {
  public:
    void writeSaveString(std::ostream& out) override;
    void writeBinaryData(std::ostream& out) override;
    void readBinaryData(std::istream& in) override;
    using Cvariable::operator=;
    int getType() override { return TYPE_SHORT; }
    int getClass() override { return CLASS_SHORT; }
    char const* typePrefix() override { return "^"; }
};

class CintVar : public CnumberVar<varconv::IntKind> {
  public:
    void writeSaveString(std::ostream& out) override;
    void writeBinaryData(std::ostream& out) override;
    void readBinaryData(std::istream& in) override;
    using Cvariable::operator=;
    int getType() override { return TYPE_INT; }
    int getClass() override { return CLASS_INT; }
    char const* typePrefix() override { return "#"; }
};

class CfloatVar : public CnumberVar<varconv::FloatKind> {
  public:
    void writeSaveString(std::ostream& out) override;
    void writeBinaryData(std::ostream& out) override;
    void readBinaryData(std::istream& in) override;
    using Cvariable::operator=;
    int getType() override { return TYPE_FLOAT; }
    int getClass() override { return CLASS_FLOAT; }
};

class CstringVar : public Cvariable {
  public:
    void writeSaveString(std::ostream& out) override;
    void writeBinaryData(std::ostream& out) override;
    void readBinaryData(std::istream& in) override;
    using Cvariable::operator=;
    CstringVar() { flags |= VAR_HAS_STRING; }
    int getType() override { return TYPE_STRING; }
    int getClass() override { return CLASS_STRING; }
    void setElem_char(unsigned short index, char const* text) override;
    char const* getElem_char(unsigned short index) override;
    void setElem_float(unsigned short index, double value) override;
    double getElem_float(unsigned short index) override;
    void setElem_int(unsigned short index, int value) override;
    int getElem_int(unsigned short index) override;

    Cstring value;
};

// A window over count elements of size bytes at storage (null when unbound).
// Element access outside the window is traced and ignored.
class ClinkVar : public Cvariable {
  public:
    void writeConfigString(std::ostream& out) override;
    void writeSaveString(std::ostream& out) override;
    void writeBinaryData(std::ostream& out) override;
    void readBinaryData(std::istream& in) override;
    ClinkVar() { flags |= VAR_LINK; }
    ~ClinkVar() override;
    int getType() override { return TYPE_LINK; }
    int getClass() override { return CLASS_LINK; }
    // Count or size of 65536 or more is refused with an exit reason.
    void setNumElements(int count) override;
    int elements() override { return elementCount; }

    // Binds outside storage (freeing an owned binding first); a count of 0 becomes 1.
    // The element size is kept across a rebind.
    void setPointer(void* where);
    // Frees owned storage (0x80000), unbinds, count and size 0.
    void clearPointer();
    // Own storage of count x size bytes (uninitialised); null when either is below 1.
    void* allocElements(int count, int size);
    void zeroAllocedMem();
    void setObjectSize(int size);
    // Address of element index when it and its bytes lie inside the window; otherwise
    // traces the operation and yields null.
    void* elementAddress(unsigned short index, unsigned bytes, char const* operation);

    void* storage = nullptr;
    unsigned short elementCount = 0;
    unsigned short elementSize = 0;

  protected:
    // Owned storage is raw bytes; kinds holding objects construct and destroy them here.
    virtual void constructOwned() {}
    virtual void destroyOwned() {}

    unsigned short naturalSize = 0; // element size of the kind, restored on rebind
    size_t ownedBytes = 0;          // size of owned storage, bounds a grown count
};

// The numeric link kinds share one body; elements are Kind::Stored, converted by Kind.
template <typename Kind> class CnumberLinkVar : public ClinkVar {
  public:
    using Cvariable::operator=;
    CnumberLinkVar() {
        flags |= VAR_HAS_NUMBER;
        elementSize = naturalSize = sizeof(typename Kind::Stored);
    }
    void setElem_char(unsigned short index, char const* text) override;
    char const* getElem_char(unsigned short index) override;
    void setElem_float(unsigned short index, double value) override;
    double getElem_float(unsigned short index) override;
    void setElem_int(unsigned short index, int value) override;
    int getElem_int(unsigned short index) override;
};

extern template class CnumberLinkVar<varconv::IntKind>;
extern template class CnumberLinkVar<varconv::ShortKind>;
extern template class CnumberLinkVar<varconv::FloatKind>;

class CintLinkVar : public CnumberLinkVar<varconv::IntKind> {
  public:
    void writeSaveString(std::ostream& out) override;
    using Cvariable::operator=;
    int getType() override { return TYPE_INT; }
    int getClass() override { return CLASS_INT_LINK; }
    char const* typePrefix() override { return "#"; }
};

class CshortLinkVar : public CnumberLinkVar<varconv::ShortKind> {
  public:
    void writeSaveString(std::ostream& out) override;
    using Cvariable::operator=;
    int getType() override { return TYPE_SHORT; }
    int getClass() override { return CLASS_SHORT_LINK; }
    char const* typePrefix() override { return "^"; }
    // Heads a new[] block of CshortLinkVar adopted by a CfastChildArrayVar.
    void deleteArrayOfMeStartingWithMe() override;
};

class CfloatLinkVar : public CnumberLinkVar<varconv::FloatKind> {
  public:
    void writeSaveString(std::ostream& out) override;
    using Cvariable::operator=;
    int getType() override { return TYPE_FLOAT; }
    int getClass() override { return CLASS_FLOAT_LINK; }
    void setFloat(double value) override;
    double getFloat() override;
};

// Storage is one or more Cstring.
class CstringLinkVar : public ClinkVar {
  public:
    void writeConfigString(std::ostream& out) override;
    void writeSaveString(std::ostream& out) override;
    void writeBinaryData(std::ostream& out) override;
    void readBinaryData(std::istream& in) override;
    using Cvariable::operator=;
    CstringLinkVar() {
        flags |= VAR_HAS_STRING;
        elementSize = naturalSize = sizeof(Cstring);
    }
    ~CstringLinkVar() override;
    int getType() override { return TYPE_STRING; }
    int getClass() override { return CLASS_STRING_LINK; }
    void setElem_char(unsigned short index, char const* text) override;
    char const* getElem_char(unsigned short index) override;
    void setElem_float(unsigned short index, double value) override;
    double getElem_float(unsigned short index) override;
    void setElem_int(unsigned short index, int value) override;
    int getElem_int(unsigned short index) override;

  protected:
    void constructOwned() override;
    void destroyOwned() override;
};

// A list of value children; written inline on the array's line in settings text.
class CarrayVar : public Cvariable {
  public:
    void writeConfigString(std::ostream& out) override;
    void saveCommand(std::ostream& out, int indent) override;
    CarrayVar() { flags |= VAR_REGISTERED; }
    int getType() override { return TYPE_ARRAY; }
    int getClass() override { return CLASS_ARRAY; }
    int elements() override { return countChildren(-1); }

    using Cvariable::getFloat;
    using Cvariable::getInt;
    using Cvariable::getString;
    void addInt(int value);
    void addFloat(float value);
    void addString(char const* text);
    // Element i's value; 0 or empty when there is no element i.
    int getInt(int i);
    float getFloat(int i);
    float operator()(unsigned i) { return getFloat(static_cast<int>(i)); }
    // Element i's text when it is a string kind, else empty.
    Cstring getString(int i);
    // From element first on: numeric elements into numbers, all others into texts.
    void getValues(std::vector<Cstring>& texts, std::vector<float>& numbers, int first);
};

// Points at a pointer field of an object.
class CpointerVar : public Cvariable {
  public:
    void writeSaveString(std::ostream& out) override;
    CpointerVar() { flags |= VAR_LINK; }
    int getType() override { return TYPE_POINTER; }
    int getClass() override { return CLASS_POINTER; }

    void** target = nullptr;
};
