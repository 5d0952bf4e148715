// Multi-links: shared resources freed when their last user lets go.
//
// A ClinkedResourceNode sits in a many-to-many web of two-way links. When removing a link
// leaves a node with no more than its threshold of links, the node releases itself: it
// frees its buffers, nulls the pointers its users registered, and waits in a global trash
// that the graphics device empties at a safe point between frames.
#pragma once

#include <cstdint>
#include <vector>

#include "support/mystring.h"

class ClinkedResourceNode {
  public:
    ClinkedResourceNode();
    // Virtual: nodes are deleted through this base by the trash, and derived classes
    // inherit it second, so the whole object must be destroyed.
    virtual ~ClinkedResourceNode();
    ClinkedResourceNode(ClinkedResourceNode const&) = delete;
    ClinkedResourceNode& operator=(ClinkedResourceNode const&) = delete;

    // Links both ways; a second call makes a second link.
    void linkTo(ClinkedResourceNode* other);
    // Removes one link each way; true when this node released itself.
    bool breakLinkTo(ClinkedResourceNode* other, int unused = 0);
    // Removes the last link to node; releases this node when the links left are at or
    // below the threshold. True when it released itself.
    bool _removeLinkFromMyList(ClinkedResourceNode* node);
    // Breaks every link and queues the node in the trash (once).
    virtual void removeAllLinks();
    // Writes null through every registered pointer location and forgets them.
    virtual void zeroAllPointersToZero();
    // Frees device buffers; the base only breaks the links.
    virtual void freeBuffers();

    // Registers a location that points at this node's resource; nulled on release.
    void addPointerToClear(void** location) { pointersToClear.push_back(location); }
    int numLinks() const { return static_cast<int>(links.size()); }
    ClinkedResourceNode* link(int i) const { return links[static_cast<size_t>(i)]; }

    int8_t linkThreshold = 1;
    int8_t trashState = 1; // 1: queue on removeAllLinks; -1: queued or released already

  private:
    void breakAllLinks();

    std::vector<ClinkedResourceNode*> links;
    std::vector<void**> pointersToClear;
};

extern std::vector<ClinkedResourceNode*> multiLinkTrash;
extern int32_t multiLinksExisting;

// Deletes every queued node, also those queued while it runs.
void emptyMultiLinkTrash();
void showRemainingMultiLinks();

// An id-indexed table of resource pointers with instance counts.
class CresourceList {
  public:
    explicit CresourceList(char const* name = "");
    ~CresourceList();

    // Stores the pointer at the next available id with one instance; returns the id.
    int addResourcePointer(void* resource, char const* name);
    // The pointer at the id; null for a free or unknown id.
    void* getResource(int id) const;
    void addInstance(int id, char const* why);
    // Lowers the count; at 0, and with removeAtZero set, frees the slot.
    void removeInstance(int id, char const* why);
    void removeResourceID(int id);
    // Moves the next available id to the first free slot at or after start.
    void setNextAvailableID(int start);
    void resizeList(int length);
    void showResources() const;

    int instances(int id) const { return valid(id) ? counts[static_cast<size_t>(id)] : 0; }
    int nextAvailableID() const { return nextAvailable; }

    Cstring name;
    uint8_t removeAtZero = 0;

  private:
    bool valid(int id) const { return id >= 0 && id < static_cast<int>(resources.size()); }

    int32_t nextAvailable = 0;
    std::vector<void*> resources;
    std::vector<int32_t> counts;
    std::vector<Cstring> names;
};
