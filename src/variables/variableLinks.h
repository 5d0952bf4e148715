// Slave links, shared resources, resource-package entries, raw memory and two-parent
// nodes.
#pragma once

#include "variables/variableBasics.h"

// Link from a master to a dependent (a slave link when made by addSlave).
class CvariableLinkVar : public Cvariable {
  public:
    void saveCommand(std::ostream& out, int indent) override;
    CvariableLinkVar() { flags |= VAR_LINK | DO_PREPARE_FOR_DELETE; }
    int getType() override { return TYPE_VARIABLE_LINK; }
    int getClass() override { return CLASS_VARIABLE_LINK; }
    // Tells a slave (-1) that its master is going away, then forgets it.
    void prepareForDelete() override;

    Cvariable* target = nullptr;
};

// A shared object with a use count; the last unrequestResource destroys it.
class CmanagedResourceVar : public CdirectoryVar {
  public:
    int instanceManaged() override { return 1; }

    unsigned useCount = 0;
};

// Gives up the owner's share of a resource when the owner dies.
class CresourceReference : public Cvariable {
  public:
    void writeConfigString(std::ostream& out) override;
    void writeSaveString(std::ostream& out) override;
    ~CresourceReference() override;

    CmanagedResourceVar** target = nullptr;
    Cstring fileName; // the file the resource was requested by ("addGeo")
};

// Exposes an owner's resource field as a child; the resource is released with the owner.
Cvariable* registerResourcePointer(Cvariable* owner, CmanagedResourceVar** field, char const* name);
// Drops one use of the resource (null ignored); destroys it at 0.
void unrequestResource(CmanagedResourceVar* resource);

// An entry of a resource package: offset, packed size/encoding/stream, date.
class CresourceFileVar : public CintLinkVar {
  public:
    void writeSaveString(std::ostream& out) override;
    CresourceFileVar();
    int getClass() override { return CLASS_RESOURCE_FILE; }

    void setFileOffset(int offset) { element(0) = offset; }
    int getFileOffset() { return element(0); }
    void setFileSize(int size);
    int getFileSize() { return element(1) & 0xFFFFFF; }
    void setFileEncoding(int encoding);
    int getFileEncoding() { return (element(1) >> 24) & 0xF; }
    void setFileStream(int stream);
    int getFileStream() { return static_cast<int>(static_cast<unsigned>(element(1)) >> 28); }
    void setFileDate(unsigned date) { element(2) = static_cast<int>(date); }
    unsigned getFileDate() { return static_cast<unsigned>(element(2)); }

  private:
    int& element(int i) { return static_cast<int*>(storage)[i]; }
};

// An owned block of raw bytes.
class CmemoryChunkVar : public Cvariable {
  public:
    void writeSaveString(std::ostream& out) override;
    void writeBinaryData(std::ostream& out) override;
    void readBinaryData(std::istream& in) override;
    ~CmemoryChunkVar() override { clearPointer(); }
    int getClass() override { return CLASS_MEMORY_CHUNK; }

    void* allocMem(unsigned size);
    void clearPointer();
    void zero();
    // Ownership of the block passes to the caller.
    void memHasBeenStolen();
    void setPointerAndSize(void* block, unsigned size);
    // Reads a whole file, zero-padded to a multiple of 4 with at least one zero after
    // the data; returns the file size (negative when there is no file).
    long loadFromFile(char const* path);
    // 1 written, 0 when the file cannot be opened.
    int saveToFile(char const* path);

    unsigned char* data = nullptr;
    unsigned size = 0;
};

class CtwoParentLinkVar;

// A node hanging under two parents through two links; dies with either parent.
class CtwoParentsVar : public Cvariable {
  public:
    ~CtwoParentsVar() override;
    void setDualLinkParents(Cvariable* parentA, Cvariable* parentB, int append);

    CtwoParentLinkVar* links[2] = {nullptr, nullptr};
};

class CtwoParentLinkVar : public Cvariable {
  public:
    ~CtwoParentLinkVar() override;

    CtwoParentsVar* owner = nullptr;
};
