// The pool of queued moves that every animated value draws from.
//
// Queuing a move must not allocate once the scene has warmed up, so finished and dropped
// moves go onto a free list and are handed out again. One pool serves the whole process and
// lives as long as it (the shop keeper's fetchADSR, addADSR and deleteADSRs reach it); a
// test may install a pool of its own.
#pragma once

// One queued move of a CanimValue: a list node, no behaviour of its own.
class CnextADSR {
  public:
    float target = 0.0f;
    float frames = 0.0f; // unfloored: floored only when the move starts
    CnextADSR* next = nullptr;
    unsigned char curve = 0;
};

class CadsrPool {
  public:
    CadsrPool() = default;
    ~CadsrPool() { deleteADSRs(); }
    CadsrPool(CadsrPool const&) = delete;
    CadsrPool& operator=(CadsrPool const&) = delete;

    // A node whose next pointer is null: the head of the free list, else a new node.
    CnextADSR* fetchADSR();
    // Puts the node at the head of the free list (null is ignored).
    void addADSR(CnextADSR* node);
    // Frees every node on the free list.
    void deleteADSRs();
    // Tops the free list up to at least count spare nodes, so a scene's occasional bursts
    // of queued moves (flick turns, fin strokes) are served without allocating.
    void reserve(int count);

    // Nodes ever allocated by this pool, nodes now spare and nodes ever handed out: for
    // leak and reuse checks.
    int allocatedCount() const { return allocated; }
    int spareCount() const { return spares; }
    long fetchCount() const { return fetches; }

    CnextADSR* adsrFreeList = nullptr;

  private:
    int allocated = 0;
    int spares = 0;
    long fetches = 0;
};

// The pool that animated values use now.
CadsrPool& currentAdsrPool();
// Installs the owner's pool (null goes back to the default pool). Nodes already queued
// return to whichever pool is current when their move starts or is dropped.
void useAdsrPool(CadsrPool* pool);
