// Freeing what a device made in its context: buffers and device data through the links of
// the resource graph, then textures and shaders through their registries.
#include "graphics/graphicsMaster.h"
#include "graphics/shader.h"
#include "support/cerr.h"

void CgraphicsAPI::freeBuffers() {
    VTRACE(2, "API:FreeBUFFERS");
    // Each partner releases itself when its last link goes; the device never does
    // (its threshold is below any link count).
    while (numLinks() > 0)
        breakLinkTo(link(0));
    VTRACE(2, "vertexBuffersAlloced=" << vertexBuffersAlloced);
    VTRACE(2, "maxVertexBuffersAlloced=" << maxVertexBuffersAlloced);
    VTRACE(2, "API:~FreeBUFFERS");
}

void CgraphicsAPI::freeAPIgraphicsResources() {
    VTRACE(2, "\n\nFREEGRAPHICSRESOURCES for " << getName());
    if (!contextIsAvailable()) {
        VTRACE(1, "context no longer exists");
        return;
    }
    switchToThisRenderer(21);
    geoToDisplay(nullptr);
    VTRACE(2, "links: " << numLinks());
    freeBuffers();
    freeAllTextureMem();
    freeAllShaders();
    emptyMultiLinkTrash();
}

void CgraphicsAPI::freeAllTextureMem() {
    VTRACE(2, "::freeTexMem");
    VTRACE(2, "freeAllTextureMem=" << textures.size());
    while (!textures.empty()) {
        CtextureImage* first = textures.front();
        freeTexture(first, 1);
        // A texture without a handle here is not removed by freeTexture.
        if (!textures.empty() && textures.front() == first) textures.erase(textures.begin());
    }
}

void CgraphicsAPI::freeAllShaders() {
    VTRACE(2, "fas ");
    // Copied first: freeing a shader may release it from the resource graph.
    std::vector<Cshader*> all;
    all.swap(shaders);
    for (Cshader* s : all)
        s->freeShader();
    VTRACE(2, "done fas");
}

int CgraphicsAPI::InvalidateDeviceObjects() {
    VTRACE(2, "::InvalidateDeviceObjects");
    VTRACE(2, "inval dev objs ");
    freeAPIgraphicsResources();
    VTRACE(2, "end inval dev objs");
    return 0;
}
