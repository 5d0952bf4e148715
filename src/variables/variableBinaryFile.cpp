// The binary tree file: "DBT" and a zero byte, then node records, all little-endian.
//
// A record is: type byte (class code, bit 7 = merge into a same-named child), u16 name
// length, the name, the node's data, optionally "{" children "}", optionally "|" and the
// next sibling's record. The reader trusts nothing: every length is checked against what
// the stream can still deliver, nesting is bounded, and a malformed file fails the load.
#include <cstdint>
#include <cstring>

#include "support/cerr.h"
#include "support/fileIO.h"
#include "variables/variableLinks.h"
#include "variables/variableSaverLoader.h"

namespace {

constexpr int kMaxBinaryString = 32767;
// Deeper nesting than any real model or package index; bounds the reader's recursion.
constexpr int kMaxNesting = 200;
// Blocks up to this size are read without asking the stream how much it still holds.
constexpr uint64_t kSmallBlock = 4096;

void putU16(std::ostream& out, unsigned v) {
    char b[2] = {static_cast<char>(v & 255), static_cast<char>((v >> 8) & 255)};
    out.write(b, 2);
}

void putU32(std::ostream& out, uint32_t v) {
    char b[4] = {static_cast<char>(v & 255), static_cast<char>((v >> 8) & 255),
                 static_cast<char>((v >> 16) & 255), static_cast<char>((v >> 24) & 255)};
    out.write(b, 4);
}

// Reads n little-endian bytes into v; on a short read the stream is left failed.
bool getLE(std::istream& in, int n, uint32_t& v) {
    unsigned char b[4] = {0, 0, 0, 0};
    in.read(reinterpret_cast<char*>(b), n);
    if (in.gcount() != n) {
        in.setstate(std::ios::failbit);
        return false;
    }
    v = b[0] | (b[1] << 8) | (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
    return true;
}

// Bytes the stream still holds (0 when it cannot tell).
uint64_t bytesLeft(std::istream& in) {
    std::streampos here = in.tellg();
    if (here < 0) return 0;
    in.seekg(0, std::ios::end);
    std::streampos end = in.tellg();
    in.seekg(here);
    return end > here ? static_cast<uint64_t>(end - here) : 0;
}

// Fails the stream when a block of n bytes cannot be in it, before anything is allocated.
bool blockFits(std::istream& in, uint64_t n) {
    if (n <= kSmallBlock || n <= bytesLeft(in)) return true;
    VTRACE(1, "binary var file: block of " << n << " bytes runs past the end");
    in.setstate(std::ios::failbit);
    return false;
}

bool readExactly(std::istream& in, void* to, uint64_t n) {
    in.read(static_cast<char*>(to), static_cast<std::streamsize>(n));
    if (static_cast<uint64_t>(in.gcount()) == n) return true;
    in.setstate(std::ios::failbit);
    return false;
}

void refuseLongString(std::ostream& out) {
    setExitError("can't write bin string>32767", 1);
    out.setstate(std::ios::failbit); // nothing more is written and the file is not kept
}

// The child of parent with exactly this name.
Cvariable* childNamed(Cvariable* parent, Cstring const& name) {
    for (Cvariable* c = parent->firstChild; c; c = c->nextSibling)
        if (c->name == name) return c;
    return nullptr;
}

enum class ChainEnd { endOfData, closeBrace, bad };

ChainEnd readChain(std::istream& in, Cvariable* parent, int depth);

// Reads one record's node (data and children) under parent; last is parent's last child.
// Returns the separator that followed it, or -2 when the record is malformed.
int readRecord(std::istream& in, Cvariable* parent, Cvariable*& last, int typeByte, int depth) {
    int classCode = typeByte & 127;
    Cstring nodeName;
    if (!readBinaryString(in, nodeName)) return -2;
    if (nodeName.size() > kMaxBinaryString) {
        VTRACE(1, "binary var file: name length " << nodeName.size() << " (asz<0)");
        return -2;
    }
    Cvariable* node = nullptr;
    if (typeByte & 128) {
        // Merge only into a child of the same class: another class would misread the data.
        Cvariable* existing = childNamed(parent, nodeName);
        if (existing && existing->getClass() == classCode) node = existing;
    }
    bool made = node == nullptr;
    if (made) {
        if (parent->flags & CHILDREN_ARE_ARRAY) {
            VTRACE(1, "binary var file: cannot add to an adopted child array");
            return -2;
        }
        // An unknown class fails this file only: the rest of the program goes on.
        node = newVariableOfClass(classCode);
        if (!node) {
            VTRACE(1, "binary var file: unknown class " << classCode);
            return -2;
        }
        node->setName(nodeName);
    }
    node->readBinaryData(in);
    if (in.fail()) {
        if (made) delete node;
        return -2;
    }
    if (made) { // plain append, whatever the parent's flags
        node->parent = parent;
        node->nextSibling = nullptr;
        if (last)
            last->nextSibling = node;
        else
            parent->firstChild = node;
        last = node;
    }
    int separator = in.get();
    if (separator == '{') {
        if (readChain(in, node, depth + 1) != ChainEnd::closeBrace) return -2;
        separator = in.get();
    }
    node->postLoadInitialization();
    return separator;
}

ChainEnd readChain(std::istream& in, Cvariable* parent, int depth) {
    if (depth > kMaxNesting) {
        VTRACE(1, "binary var file: nested too deep");
        return ChainEnd::bad;
    }
    Cvariable* last = parent->getLastChild();
    bool first = true;
    for (;;) {
        int typeByte = in.get();
        if (typeByte == EOF) return first ? ChainEnd::endOfData : ChainEnd::bad; // "|" promised a record
        first = false;
        int separator = readRecord(in, parent, last, typeByte, depth);
        if (separator == '|') continue;
        if (separator == EOF) return ChainEnd::endOfData;
        if (separator == '}') return ChainEnd::closeBrace;
        return ChainEnd::bad;
    }
}

} // namespace

void writeBinaryString(std::ostream& out, Cstring const& text) {
    if (text.size() > kMaxBinaryString) return refuseLongString(out);
    putU16(out, static_cast<unsigned>(text.size()));
    out.write(text.c_str(), text.size());
}

bool readBinaryString(std::istream& in, Cstring& text) {
    uint32_t n = 0;
    if (!getLE(in, 2, n)) return false;
    Cstring read;
    if (n > 0) {
        read.resizeChars(static_cast<int>(n));
        if (!readExactly(in, read.getDataStart(), n)) return false;
    }
    text = std::move(read);
    return true;
}

int readBinaryVariable(std::istream& in, Cvariable* parent) {
    if (!parent) return 1;
    return readChain(in, parent, 0) == ChainEnd::endOfData ? 0 : 1;
}

// ---- base node ----

void Cvariable::saveBinaryClassMembers(std::ostream&) {}
void Cvariable::writeBinaryData(std::ostream&) {}
void Cvariable::readBinaryData(std::istream&) {}

// Writes this node's record with its children, then its later siblings (a loop, so a long
// sibling list does not nest calls).
void Cvariable::saveBinary(std::ostream& out) {
    for (Cvariable* n = this; n && out.good(); n = n->nextSibling) {
        if (n->name.size() > kMaxBinaryString) return refuseLongString(out);
        unsigned type = static_cast<unsigned>(n->getClass()) & 255;
        if (n->flags & VAR_BINARY_MERGE) type |= 128;
        out.put(static_cast<char>(type));
        writeBinaryString(out, n->name);
        n->writeBinaryData(out);
        if (n->firstChild) {
            out.put('{');
            n->firstChild->saveBinary(out);
            out.put('}');
        }
        if (n->nextSibling) out.put('|');
    }
}

int Cvariable::loadBinaryChildren(std::istream& in) {
    char magic[4] = {0, 0, 0, 0};
    in.read(magic, 4);
    if (in.gcount() != 4 || std::memcmp(magic, "DBT", 3) != 0) {
        VTRACE(1, "not a binary var file");
        return 1;
    }
    if (readBinaryVariable(in, this) != 0) {
        VTRACE(1, "binary var file: malformed or truncated in " << name);
        return 1;
    }
    postLoadInitialization();
    return 0;
}

int Cvariable::loadBinaryChildren(Cstring path) {
    std::ifstream in;
    if (!file_open(in, path.c_str(), 0)) {
        VTRACE(2, "couldn't open " << path);
        return 1;
    }
    int result = loadBinaryChildren(in);
    file_close(in);
    return result;
}

// ---- values ----

void CshortVar::writeBinaryData(std::ostream& out) {
    putU16(out, static_cast<unsigned>(value) & 0xFFFF);
}

void CshortVar::readBinaryData(std::istream& in) {
    uint32_t v;
    if (getLE(in, 2, v)) value = static_cast<int16_t>(static_cast<uint16_t>(v));
}

void CintVar::writeBinaryData(std::ostream& out) {
    putU32(out, static_cast<uint32_t>(value));
}

void CintVar::readBinaryData(std::istream& in) {
    uint32_t v;
    if (getLE(in, 4, v)) value = static_cast<int32_t>(v);
}

void CfloatVar::writeBinaryData(std::ostream& out) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    putU32(out, bits);
}

void CfloatVar::readBinaryData(std::istream& in) {
    uint32_t bits;
    if (getLE(in, 4, bits)) std::memcpy(&value, &bits, 4);
}

void CstringVar::writeBinaryData(std::ostream& out) {
    writeBinaryString(out, value);
}
void CstringVar::readBinaryData(std::istream& in) {
    readBinaryString(in, value);
}

// ---- links: raw element storage (the engine only runs on little-endian hosts) ----

void ClinkVar::writeBinaryData(std::ostream& out) {
    unsigned count = storage ? elementCount : 0;
    putU16(out, count);
    putU16(out, elementSize);
    if (count)
        out.write(static_cast<char const*>(storage), static_cast<std::streamsize>(count) * elementSize);
}

// The element size a typed link's accessors rely on; 0 for raw links of any size.
static int fixedElementSize(int classCode) {
    switch (classCode) {
    case CLASS_INT_LINK:
    case CLASS_FLOAT_LINK:
    case CLASS_RESOURCE_FILE:
        return 4;
    case CLASS_SHORT_LINK:
        return 2;
    default:
        return 0;
    }
}

void ClinkVar::readBinaryData(std::istream& in) {
    uint32_t count, size;
    if (!getLE(in, 2, count) || !getLE(in, 2, size)) return;
    uint64_t bytes = static_cast<uint64_t>(count) * size;
    if (bytes == 0) return;
    int fixed = fixedElementSize(getClass());
    bool sameShape = storage && count == elementCount && size == elementSize;
    // Elements narrower than the kind reads, or a package entry of another shape, would
    // be read past their storage later.
    if ((fixed && static_cast<int>(size) != fixed) || (getClass() == CLASS_RESOURCE_FILE && !sameShape)) {
        VTRACE(1, "binary var file: link " << name << " has elements of the wrong shape");
        in.setstate(std::ios::failbit);
        return;
    }
    if (sameShape) {
        // Straight into the bound storage; an owner's field is written only when all of
        // the data is there.
        bool ownersField = !(flags & VAR_OWNS_STORAGE);
        if ((ownersField || bytes > kSmallBlock) && bytes > bytesLeft(in)) {
            in.setstate(std::ios::failbit);
            return;
        }
    } else {
        if (!blockFits(in, bytes)) return;
        allocElements(static_cast<int>(count), static_cast<int>(size));
    }
    readExactly(in, storage, bytes);
}

void CstringLinkVar::writeBinaryData(std::ostream& out) {
    writeBinaryString(out, Cstring(storage && elementCount ? getElem_char(0) : ""));
}

void CstringLinkVar::readBinaryData(std::istream& in) {
    Cstring text;
    if (!readBinaryString(in, text)) return;
    if (!storage) allocElements(1, sizeof(Cstring)); // a fresh link keeps its own text
    setElem_char(0, text.c_str());
}

void CmemoryChunkVar::writeBinaryData(std::ostream& out) {
    putU32(out, data ? size : 0);
    if (data && size) out.write(reinterpret_cast<char const*>(data), size);
}

void CmemoryChunkVar::readBinaryData(std::istream& in) {
    uint32_t n;
    if (!getLE(in, 4, n) || !blockFits(in, n)) return;
    if (n == 0) {
        clearPointer();
        return;
    }
    allocMem(n);
    readExactly(in, data, n);
}
