#include "graphics/glBuffers.h"

#include "graphics/glShader.h"
#include "graphics/graphicsGL.h"
#include "graphics/graphicsMaster.h"
#include "graphics/materialOwner.h"
#include "host/glHeaders.h"
#include "support/cerr.h"

void CopenGLbuffer::removeAllLinks() {
    if (id) {
        if (device && !deviceOrphaning) {
            device->switchToThisRenderer(95);
            GLuint name = id;
            glDeleteBuffers(1, &name);
            // A later buffer may get the same name: the draw state must not take it as set.
            if (auto* gl = dynamic_cast<CopenGL*>(device)) gl->forgetVertexStreams();
        }
        id = 0;
        vertexBuffersAlloced--;
    }
    device = nullptr;
    ClinkedResourceNode::removeAllLinks();
}

void incVertexBuffers() {
    vertexBuffersAlloced++;
    if (vertexBuffersAlloced > maxVertexBuffersAlloced) maxVertexBuffersAlloced = vertexBuffersAlloced;
}

CopenGLbuffer* makeBuffer(CgraphicsAPI* device, unsigned target, long bytes, void const* data,
                          unsigned usage) {
    GLuint name = 0;
    glGenBuffers(1, &name);
    if (!name) return nullptr;
    incVertexBuffers();
    auto* buffer = new CopenGLbuffer(name, device);
    buffer->linkTo(device);
    glBindBuffer(target, name);
    glBufferData(target, bytes, data, usage);
    glBindBuffer(target, 0);
    return buffer;
}

CopenGLbuffer* makeIndexBuffer(CgraphicsAPI* device, uint16_t const* indices, int triangleCount) {
    if (triangleCount < 1 || !indices) return nullptr;
    if (device) device->switchToThisRenderer(96);
    return makeBuffer(device, GL_ELEMENT_ARRAY_BUFFER, static_cast<long>(triangleCount) * 6, indices,
                      GL_STATIC_DRAW);
}

int fillArrayBuffer(CopenGLbuffer* buffer, long bytes, void (*fill)(void*, void*), void* context) {
    if (!buffer || !buffer->id || bytes < 1) return 1;
    glBindBuffer(GL_ARRAY_BUFFER, buffer->id);
    void* destination = glMapBuffer(GL_ARRAY_BUFFER, GL_WRITE_ONLY);
    if (!destination) {
        VTRACE(1, "*** destmem=0");
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        setExit("openGL Error! If this problem persists please send an error report.");
        return 1;
    }
    if (buffer->device) buffer->device->lockBytesSentToVideoCard += bytes;
    fill(context, destination);
    glUnmapBuffer(GL_ARRAY_BUFFER);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return 0;
}

uint16_t channelBit(int channel) {
    static uint16_t const bits[CHANNEL_COUNT] = {CHAN_POSITION, CHAN_DIFFUSE, CHAN_NORMAL,
                                                 CHAN_SPECULAR, CHAN_TEX1,    CHAN_TEX2};
    return channel >= 0 && channel < CHANNEL_COUNT ? bits[channel] : 0;
}

CstreamLayout layoutStreams(uint16_t const masks[3], int apiFormat, int floatsPerPosition) {
    CstreamLayout layout;
    bool compressedPositions = apiFormat & CmaterialOwner::API_COMPRESSED_POSITIONS;
    int const sizes[CHANNEL_COUNT] = {compressedPositions ? 8 : floatsPerPosition * 4,       4, 12, 4, 8,
                                      apiFormat & CmaterialOwner::API_COMPRESSED_UV2 ? 4 : 8};
    for (int s = 0; s < 3; s++) {
        uint16_t mask = masks[s];
        if (apiFormat & CmaterialOwner::API_COLOR_IN_W) mask &= static_cast<uint16_t>(~CHAN_DIFFUSE);
        // A channel goes in the first stream that names it.
        mask &= static_cast<uint16_t>(~layout.allMask);
        layout.streamMask[s] = mask;
        layout.allMask |= mask;
        int bytes = 0;
        for (int c = 0; c < CHANNEL_COUNT; c++) {
            if (!(mask & channelBit(c))) continue;
            layout.offset[c] = static_cast<uint8_t>(bytes);
            layout.stream[c] = static_cast<int8_t>(s);
            bytes += sizes[c];
        }
        layout.strideFloats[s] = static_cast<uint32_t>(bytes / 4);
    }
    return layout;
}

CattribFormat attribFormat(int channel, int apiFormat, int floatsPerPosition) {
    switch (channel) {
    case CHANNEL_POSITION:
        if (apiFormat & CmaterialOwner::API_COMPRESSED_POSITIONS)
            return {ATTRIB_POSITION, 4, GL_SHORT, false};
        return {ATTRIB_POSITION, floatsPerPosition, GL_FLOAT, false};
    case CHANNEL_DIFFUSE:
        return {ATTRIB_COLOR, 4, GL_UNSIGNED_BYTE, true};
    case CHANNEL_SPECULAR:
        return {ATTRIB_SPECULAR, 4, GL_UNSIGNED_BYTE, true};
    case CHANNEL_TEX0:
        return {ATTRIB_TEX0, 2, GL_FLOAT, false};
    case CHANNEL_TEX1:
        return {ATTRIB_TEX1, 2,
                apiFormat & CmaterialOwner::API_COMPRESSED_UV2 ? GLenum(GL_SHORT) : GLenum(GL_FLOAT), false};
    default:
        return {ATTRIB_NORMAL, 3, GL_FLOAT, false};
    }
}
