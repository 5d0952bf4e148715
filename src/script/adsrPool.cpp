// Free list of queued moves.
#include "script/adsrPool.h"

static CadsrPool defaultAdsrPool;
static CadsrPool* installedAdsrPool = nullptr;

CadsrPool& currentAdsrPool() {
    return installedAdsrPool ? *installedAdsrPool : defaultAdsrPool;
}

void useAdsrPool(CadsrPool* pool) {
    installedAdsrPool = pool;
}

CnextADSR* CadsrPool::fetchADSR() {
    fetches++;
    CnextADSR* node = adsrFreeList;
    if (node) {
        adsrFreeList = node->next;
        spares--;
    } else {
        node = new CnextADSR;
        allocated++;
    }
    node->next = nullptr;
    return node;
}

void CadsrPool::addADSR(CnextADSR* node) {
    if (node == nullptr) return;
    node->next = adsrFreeList;
    adsrFreeList = node;
    spares++;
}

void CadsrPool::deleteADSRs() {
    while (CnextADSR* node = adsrFreeList) {
        adsrFreeList = node->next;
        delete node;
    }
    spares = 0;
}

void CadsrPool::reserve(int count) {
    while (spares < count) {
        allocated++;
        addADSR(new CnextADSR);
    }
}
