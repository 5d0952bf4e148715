#include "variables/multiLink.h"

#include "support/cerr.h"

std::vector<ClinkedResourceNode*> multiLinkTrash;
int32_t multiLinksExisting = 0;

ClinkedResourceNode::ClinkedResourceNode() {
    multiLinksExisting++;
}

ClinkedResourceNode::~ClinkedResourceNode() {
    // Break the links but never queue: a node being destroyed must not sit in the trash.
    breakAllLinks();
    for (auto& queued : multiLinkTrash)
        if (queued == this) queued = nullptr;
    multiLinksExisting--;
}

void ClinkedResourceNode::linkTo(ClinkedResourceNode* other) {
    if (!other) return;
    other->links.push_back(this);
    links.push_back(other);
}

bool ClinkedResourceNode::breakLinkTo(ClinkedResourceNode* other, int) {
    if (!other) return false;
    other->_removeLinkFromMyList(this);
    return _removeLinkFromMyList(other);
}

bool ClinkedResourceNode::_removeLinkFromMyList(ClinkedResourceNode* node) {
    for (size_t i = links.size(); i-- > 0;) {
        if (links[i] != node) continue;
        links.erase(links.begin() + static_cast<long>(i));
        if (static_cast<int>(links.size()) > linkThreshold) return false;
        freeBuffers();
        zeroAllPointersToZero();
        return true;
    }
    return false;
}

void ClinkedResourceNode::breakAllLinks() {
    while (!links.empty()) {
        ClinkedResourceNode* first = links.front();
        first->_removeLinkFromMyList(this); // may make that node release itself
        if (!links.empty() && links.front() == first) links.erase(links.begin());
    }
}

void ClinkedResourceNode::removeAllLinks() {
    breakAllLinks();
    if (trashState == 1) multiLinkTrash.push_back(this);
    trashState = -1;
}

void ClinkedResourceNode::zeroAllPointersToZero() {
    for (void** location : pointersToClear)
        *location = nullptr;
    pointersToClear.clear();
}

void ClinkedResourceNode::freeBuffers() {
    removeAllLinks();
}

void emptyMultiLinkTrash() {
    // Deleting a node may queue others; walk by index so those are deleted too.
    for (size_t i = 0; i < multiLinkTrash.size(); i++) {
        ClinkedResourceNode* node = multiLinkTrash[i];
        multiLinkTrash[i] = nullptr;
        delete node;
    }
    multiLinkTrash.clear();
}

void showRemainingMultiLinks() {
    VTRACE(1, "multilinks:" << multiLinksExisting);
}

// ---- resource list

CresourceList::CresourceList(char const* n) : name(n) {}

CresourceList::~CresourceList() {
    showResources();
}

int CresourceList::addResourcePointer(void* resource, char const* resourceName) {
    setNextAvailableID(nextAvailable);
    int id = nextAvailable;
    resources[static_cast<size_t>(id)] = resource;
    counts[static_cast<size_t>(id)] = 1;
    if (resourceName) names[static_cast<size_t>(id)] = resourceName;
    setNextAvailableID(id + 1);
    return id;
}

void* CresourceList::getResource(int id) const {
    return valid(id) ? resources[static_cast<size_t>(id)] : nullptr;
}

void CresourceList::addInstance(int id, char const*) {
    if (valid(id)) counts[static_cast<size_t>(id)]++;
}

void CresourceList::removeInstance(int id, char const*) {
    if (!valid(id)) return;
    int32_t& count = counts[static_cast<size_t>(id)];
    bool wasBelowOne = count < 1;
    count--;
    if (wasBelowOne) VTRACE(1, "*** instances<0 !!(" << count << ")");
    if (count == 0 && removeAtZero) removeResourceID(id);
}

void CresourceList::removeResourceID(int id) {
    if (!valid(id)) return;
    size_t i = static_cast<size_t>(id);
    VTRACE(1, "removing resource " << names[i] << " id=" << id << "  *=" << resources[i] << " insts:"
                                   << counts[i] << (counts[i] != 0 ? "instances are not zero!" : ""));
    resources[i] = nullptr;
    counts[i] = 0;
    names[i] = "";
    if (nextAvailable > id) nextAvailable = id;
}

void CresourceList::setNextAvailableID(int start) {
    if (start < 0) start = 0;
    int id = start;
    for (;;) {
        if (id >= static_cast<int>(resources.size())) resizeList(static_cast<int>(resources.size()) + 16);
        if (!resources[static_cast<size_t>(id)]) break;
        id++;
    }
    nextAvailable = id;
}

void CresourceList::resizeList(int length) {
    if (length < 0) length = 0;
    resources.resize(static_cast<size_t>(length), nullptr);
    counts.resize(static_cast<size_t>(length), 0);
    names.resize(static_cast<size_t>(length));
}

void CresourceList::showResources() const {
    for (size_t i = 0; i < resources.size(); i++)
        VTRACE(1, names[i] << " id=" << i << "  *=" << resources[i] << " insts:" << counts[i]);
}
