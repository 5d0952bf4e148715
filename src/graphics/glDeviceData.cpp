#include "graphics/glDeviceData.h"

#include "graphics/graphicsGL.h"
#include "graphics/texturedGeo.h"
#include "graphics/workObject.h"
#include "host/glHeaders.h"
#include "support/cerr.h"

namespace {

char const* const streamNames[3] = {"sc STATIC", "sc DYNAMIC", "sc STATIC_UNIQUEx"};

struct CopyJob {
    CrenderStreamSource* source;
    int stride;
    uint16_t mask;
};

void copyStream(void* context, void* destination) {
    auto* job = static_cast<CopyJob*>(context);
    job->source->copyIntoStream(static_cast<float*>(destination), job->stride, job->mask);
}

} // namespace

void CworkObjectGraphicsDeviceDataHandler::updateVertexData(int frame) {
    if (frame <= lastUploadFrame) return;
    CgraphicsAPI* api = getAPI();
    uint8_t bit = api ? api->displayBit : 0;
    if (staticDirtyMask & bit) {
        updateVideoMemory(0);
        updateVideoMemory(2); // fixed per instance, so refreshed with the static data
        staticDirtyMask = static_cast<uint8_t>(staticDirtyMask & ~bit);
    }
    updateVideoMemory(1);
    lastUploadFrame = frame;
}

CworkObjectGraphicsDeviceDataHandlerOpenGL::~CworkObjectGraphicsDeviceDataHandlerOpenGL() {
    if (device && device->contextIsAvailable()) {
        device->switchToThisRenderer(94);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        if (auto* gl = dynamic_cast<CopenGL*>(device)) gl->boundIndexBuffer = 0;
    }
    removeAllLinks();
}

void CworkObjectGraphicsDeviceDataHandlerOpenGL::removeAllLinks() {
    if (device && !deviceOrphaning) device->switchToThisRenderer(95);
    for (auto& copy : buffers)
        for (CopenGLbuffer*& b : copy) {
            CopenGLbuffer* held = b;
            b = nullptr;
            if (held) breakLinkTo(held);
        }
    device = nullptr; // released: nothing more to do in its context
    ClinkedResourceNode::removeAllLinks();
}

int CworkObjectGraphicsDeviceDataHandlerOpenGL::init(CgraphicsAPI* api, CrenderStreamSource* from) {
    device = api;
    source = from;
    if (!device || !source) return 1;
    uint16_t masks[3] = {0, 0, 0};
    source->streamChannelMasks(masks);
    int floatsPerPosition = source->floatsPerPosition();
    layout = layoutStreams(masks, source->modelApiFormat(), floatsPerPosition);
    for (int s = 0; s < 3; s++)
        VTRACE(2, streamNames[s] << " " << layout.streamMask[s]);
    for (int c = 0; c < CHANNEL_COUNT; c++)
        if (layout.stream[c] >= 0) source->setChannelOffset(c, layout.offset[c] / 4);
    int points = source->streamPointCount();
    if (points < 1) return 0; // nothing to upload or draw
    device->switchToThisRenderer(97);
    for (int s = 0; s < 3; s++) {
        if (!layout.strideFloats[s]) continue;
        long bytes = static_cast<long>(layout.strideFloats[s]) * 4 * points;
        if (s == 0) {
            ClinkedResourceNode** shared = source->sharedStaticBuffer(device->displayIndex);
            if (shared && *shared) {
                // Only this device layer puts buffers into these slots.
                buffers[0][0] = static_cast<CopenGLbuffer*>(*shared);
                linkTo(*shared);
                continue;
            }
            CopenGLbuffer* b = makeBuffer(device, GL_ARRAY_BUFFER, bytes, nullptr, GL_STATIC_DRAW);
            if (!b) continue;
            buffers[0][0] = b;
            linkTo(b);
            if (shared) {
                *shared = b;
                b->addPointerToClear(reinterpret_cast<void**>(shared));
            }
            continue;
        }
        // The dynamic stream is rewritten every frame; the unique one once per flagging.
        unsigned usage = s == 1 ? GL_STREAM_DRAW : GL_STATIC_DRAW;
        for (int copy = 0; copy < (s == 1 ? 2 : 1); copy++) {
            CopenGLbuffer* b = makeBuffer(device, GL_ARRAY_BUFFER, bytes, nullptr, usage);
            if (!b) continue;
            buffers[copy][s] = b;
            linkTo(b);
            b->addPointerToClear(reinterpret_cast<void**>(&buffers[copy][s]));
        }
    }
    return 0;
}

uint32_t CworkObjectGraphicsDeviceDataHandlerOpenGL::streamBuffer(int stream) const {
    if (stream < 0 || stream > 2) return 0;
    // The dynamic stream uses its second copy on even master frames.
    int copy = stream == 1 && !masterOddFrame ? 1 : 0;
    CopenGLbuffer const* b = buffers[copy][stream];
    return b ? b->id : 0;
}

void CworkObjectGraphicsDeviceDataHandlerOpenGL::updateVideoMemory(int stream) {
    if (stream < 0 || stream > 2 || !layout.streamMask[stream] || !source) return;
    VTRACE(2, "uvm for stream " << stream);
    VTRACE(2, "chansToInclude = " << layout.streamMask[stream]);
    int points = source->streamPointCount();
    int copy = stream == 1 && !masterOddFrame ? 1 : 0;
    CopenGLbuffer* b = buffers[copy][stream];
    if (points < 1 || !b) return;
    device->switchToThisRenderer(98);
    CopyJob job{source, static_cast<int>(layout.strideFloats[stream]), layout.streamMask[stream]};
    fillArrayBuffer(b, static_cast<long>(points) * job.stride * 4, copyStream, &job);
}

void CworkObjectGraphicsDeviceDataHandlerOpenGL::fillDrawCall(CdrawCall& call) const {
    call.layout = &layout;
    for (int s = 0; s < 3; s++)
        call.streamBuffers[s] = streamBuffer(s);
    call.apiFormat = source ? source->modelApiFormat() : 0;
    call.floatsPerPosition = source ? source->floatsPerPosition() : 3;
}

uint32_t fetchIndexBuffer(CgraphicsAPI* device, CopenGLbuffer*& slot, uint16_t const* indices,
                          int triangleCount) {
    if (!slot) {
        slot = makeIndexBuffer(device, indices, triangleCount);
        if (slot) slot->addPointerToClear(reinterpret_cast<void**>(&slot));
    }
    return slot ? slot->id : 0;
}

uint32_t fetchIndexBuffer(CgraphicsAPI* device, ClinkedResourceNode*& slot, uint16_t const* indices,
                          int triangleCount) {
    if (!slot) {
        CopenGLbuffer* made = makeIndexBuffer(device, indices, triangleCount);
        slot = made;
        if (made) made->addPointerToClear(reinterpret_cast<void**>(&slot));
    }
    // Only this device layer puts buffers into these slots.
    auto* buffer = static_cast<CopenGLbuffer*>(slot);
    return buffer ? buffer->id : 0;
}

ClinkedResourceNode* CopenGL::initDeviceData(CworkObject*) {
    return new CworkObjectGraphicsDeviceDataHandlerOpenGL;
}

int CworkObjectGraphicsDeviceDataHandlerOpenGL::initForWorkObject(CgraphicsAPI* api, CworkObject* object) {
    workObjectSource.object = object;
    return init(api, &workObjectSource);
}

int CworkObjectStreams::streamPointCount() {
    return object && object->model ? object->numPoints : 0;
}

int CworkObjectStreams::floatsPerPosition() {
    return object && object->posSize == 4 ? 4 : 3;
}

int CworkObjectStreams::modelApiFormat() {
    return object && object->model ? object->model->apiFormat : 0;
}

void CworkObjectStreams::streamChannelMasks(uint16_t masks[3]) {
    CtexturedGeo* model = object ? object->model : nullptr;
    masks[0] = model ? model->staticMask : 0;
    masks[1] = model ? model->dynamicMask : 0;
    masks[2] = model ? model->staticUniqueMask : 0;
}

void CworkObjectStreams::setChannelOffset(int channel, int offsetFloats) {
    if (!object) return;
    switch (channel) {
    case CHANNEL_DIFFUSE:
        object->colorStreamOffset = offsetFloats;
        break;
    case CHANNEL_NORMAL:
        object->normalStreamOffset = offsetFloats;
        break;
    case CHANNEL_SPECULAR:
        object->specStreamOffset = offsetFloats;
        break;
    case CHANNEL_TEX0:
        object->uvStreamOffset = offsetFloats;
        break;
    case CHANNEL_TEX1:
        object->uvBStreamOffset = offsetFloats;
        break;
    default:
        break; // the position always leads its record
    }
}

void CworkObjectStreams::copyIntoStream(float* destination, int strideFloats, uint16_t mask) {
    if (object) object->copyCGeoDataIntoRenderStreamFormat(destination, strideFloats, mask);
}

ClinkedResourceNode** CworkObjectStreams::sharedStaticBuffer(int displayIndex) {
    if (!object || !object->model || displayIndex < 0 || displayIndex >= 8) return nullptr;
    return &object->model->sharedStaticBuffers[displayIndex];
}

void installWorkObjectDeviceHooks() {
    workObjectDeviceHooks.displayIndex = [](CgraphicsAPI* device) {
        return static_cast<int>(device->displayIndex);
    };
    workObjectDeviceHooks.makeDeviceData = [](CgraphicsAPI* device,
                                              CworkObject* object) -> ClinkedResourceNode* {
        auto* handler =
            static_cast<CworkObjectGraphicsDeviceDataHandlerOpenGL*>(device->initDeviceData(object));
        if (!handler) return nullptr;
        handler->linkTo(device); // freeing the device frees it
        handler->initForWorkObject(device, object);
        return handler;
    };
    workObjectDeviceHooks.flagStaticData = [](ClinkedResourceNode* handler) {
        static_cast<CworkObjectGraphicsDeviceDataHandler*>(handler)->staticDirtyMask = 0xFF;
    };
    workObjectDeviceHooks.displayCount = [] {
        return graphicsHooks.displayCount ? graphicsHooks.displayCount() : kWorkObjectDisplays;
    };
}
