// A work object's vertex streams on one display: the record layout, the GL buffers and
// their uploads.
//
// Stream 0 (static) is one buffer per model and display, shared by the model's instances;
// stream 1 (dynamic) has two buffers per instance, written on alternate master frames so
// the one drawn last frame is never overwritten; stream 2 (static unique) is one buffer per
// instance.
#pragma once

#include <cstdint>

#include "graphics/glBuffers.h"
#include "graphics/renderStreamSource.h"

class CworkObject;
struct CdrawCall;

// A work object as the source of its streams: its current work buffer, the stream offsets
// it writes at, and its model's masks and shared buffers.
class CworkObjectStreams : public CrenderStreamSource {
  public:
    int streamPointCount() override;
    int floatsPerPosition() override;
    int modelApiFormat() override;
    void streamChannelMasks(uint16_t masks[3]) override;
    void setChannelOffset(int channel, int offsetFloats) override;
    void copyIntoStream(float* destination, int strideFloats, uint16_t mask) override;
    ClinkedResourceNode** sharedStaticBuffer(int displayIndex) override;

    CworkObject* object = nullptr;
};

class CworkObjectGraphicsDeviceDataHandler : public CgraphicsResourceHolder {
  public:
    ~CworkObjectGraphicsDeviceDataHandler() override = default;
    // Lays the streams out and makes their buffers; 0 done.
    virtual int init(CgraphicsAPI* device, CrenderStreamSource* source) = 0;
    virtual CgraphicsAPI* getAPI() = 0;
    // Uploads one stream of the current geometry.
    virtual void updateVideoMemory(int stream) = 0;
    // Once per master frame: the static streams when flagged for this display, then the
    // dynamic stream.
    void updateVertexData(int frame);

    uint8_t staticDirtyMask = 0xFF; // one bit per display index: static data to upload
    int32_t lastUploadFrame = -1;
};

class CworkObjectGraphicsDeviceDataHandlerOpenGL : public CworkObjectGraphicsDeviceDataHandler {
  public:
    // Lets go of the buffers (the graph frees those nobody else holds), in the device's
    // context.
    void removeAllLinks() override;
    ~CworkObjectGraphicsDeviceDataHandlerOpenGL() override;
    int init(CgraphicsAPI* device, CrenderStreamSource* source) override;
    CgraphicsAPI* getAPI() override { return device; }
    void updateVideoMemory(int stream) override;

    // The buffer stream s draws from in the current master frame (0: none).
    uint32_t streamBuffer(int stream) const;
    // Fills the call's streams, layout and vertex format.
    void fillDrawCall(CdrawCall& call) const;
    // init with the work object as the source.
    int initForWorkObject(CgraphicsAPI* device, CworkObject* object);

    CrenderStreamSource* source = nullptr;
    CgraphicsAPI* device = nullptr;
    CstreamLayout layout;
    CopenGLbuffer* buffers[2][3] = {};
    CworkObjectStreams workObjectSource;
};

// Fills the work objects' device hooks with this device layer's handlers.
void installWorkObjectDeviceHooks();

// The id of the index buffer kept in slot (made from the indices when the slot is empty,
// and cleared again when the buffer is freed); 0 when there are no triangles.
uint32_t fetchIndexBuffer(CgraphicsAPI* device, CopenGLbuffer*& slot, uint16_t const* indices,
                          int triangleCount);
// The same for an owner that keeps its index data as a plain resource node.
uint32_t fetchIndexBuffer(CgraphicsAPI* device, ClinkedResourceNode*& slot, uint16_t const* indices,
                          int triangleCount);
