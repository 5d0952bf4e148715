// GL vertex and index buffers as nodes of the device's resource graph, and the record
// layout of a work object's vertex streams.
//
// Stream 0 is shared by every instance of a model on a display, stream 1 is rewritten
// every master frame (two copies, alternating), stream 2 is fixed per instance. Within a
// stream each point is one record of its channels in a fixed order.
#pragma once

#include <cstdint>

#include "graphics/streamChans.h"
#include "variables/multiLink.h"

class CgraphicsAPI;

// Base of the device resources that hold GL objects.
class CgraphicsResourceHolder : public ClinkedResourceNode {};

class CopenGLbuffer : public CgraphicsResourceHolder {
  public:
    CopenGLbuffer(uint32_t bufferId, CgraphicsAPI* owner) : id(bufferId), device(owner) {}
    // Deletes the GL buffer (in its device's context) and breaks the links.
    void removeAllLinks() override;

    uint32_t id = 0;
    CgraphicsAPI* device = nullptr;
};

// One more GL buffer alive; the high-water mark follows.
void incVertexBuffers();

// A new buffer of bytes for target (GL_ARRAY_BUFFER or GL_ELEMENT_ARRAY_BUFFER), with
// data (null: uninitialised) and the usage hint, linked to the device. Null when GL gives
// no name. The device's context must be current.
CopenGLbuffer* makeBuffer(CgraphicsAPI* device, unsigned target, long bytes, void const* data,
                          unsigned usage);
// The index buffer of triangleCount triangles of 16-bit indices (static).
CopenGLbuffer* makeIndexBuffer(CgraphicsAPI* device, uint16_t const* indices, int triangleCount);
// Maps the array buffer for writing and lets fill write bytes into it; 0 written. A
// buffer that cannot be mapped records the exit reason and returns 1.
int fillArrayBuffer(CopenGLbuffer* buffer, long bytes, void (*fill)(void* context, void* destination),
                    void* context);

// Channels in record order, with their sizes.
enum StreamChannel : int {
    CHANNEL_POSITION,
    CHANNEL_DIFFUSE,
    CHANNEL_NORMAL,
    CHANNEL_SPECULAR,
    CHANNEL_TEX0,
    CHANNEL_TEX1,
    CHANNEL_COUNT
};
// The mask bit of a channel.
uint16_t channelBit(int channel);

struct CstreamLayout {
    uint16_t allMask = 0;
    uint16_t streamMask[3] = {0, 0, 0};
    uint32_t strideFloats[3] = {0, 0, 0};
    uint8_t offset[CHANNEL_COUNT] = {};                      // bytes into its stream's record
    int8_t stream[CHANNEL_COUNT] = {-1, -1, -1, -1, -1, -1}; // -1: not sent
};

// Lays the three streams' channel masks out for a model's apiFormat (Cmaterial owner
// bits) and floats per position. Colour in position w drops the diffuse channel.
CstreamLayout layoutStreams(uint16_t const masks[3], int apiFormat, int floatsPerPosition);

// How a channel feeds its vertex attribute.
struct CattribFormat {
    unsigned index;
    int components;
    unsigned type;
    bool normalized;
};
CattribFormat attribFormat(int channel, int apiFormat, int floatsPerPosition);
