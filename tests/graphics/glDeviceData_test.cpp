// Work objects' vertex streams on the OpenGL device: freeing the device, a model without points.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "glTestSupport.h"
#include "graphics/glDeviceData.h"
#include "graphics/glShader.h"
#include "graphics/graphicsGL.h"
#include "graphics/renderStreamSource.h"
#include "host/glHeaders.h"
#include "support/traceCapture.h"

namespace {

// A model shared by its instances: a quad's colours in the static stream and, per
// instance, positions in the dynamic stream.
struct QuadModel {
    ClinkedResourceNode* shared[8] = {};
    uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
    ClinkedResourceNode* indexBuffers[8] = {}; // as a poly-group definition keeps them
    int points = 4;
};

// Counts the copies into its streams; what they hold is never drawn here.
class QuadInstance : public CrenderStreamSource {
  public:
    explicit QuadInstance(QuadModel& m) : model(m) {}
    int streamPointCount() override { return model.points; }
    int floatsPerPosition() override { return 3; }
    int modelApiFormat() override { return 0; }
    void streamChannelMasks(uint16_t masks[3]) override {
        masks[0] = CHAN_DIFFUSE;
        masks[1] = CHAN_POSITION;
        masks[2] = 0;
    }
    void setChannelOffset(int, int) override {}
    void copyIntoStream(float*, int, uint16_t) override { copies++; }
    ClinkedResourceNode** sharedStaticBuffer(int displayIndex) override {
        return &model.shared[displayIndex];
    }

    QuadModel& model;
    int copies = 0;
};

class GlDeviceData : public ::testing::Test {
  protected:
    void SetUp() override {
        REQUIRE_GL();
        ASSERT_TRUE(openTestDevice(dev, context, 64, 16)) << exitMsg.c_str();
    }

    // A handler for the instance, linked to the device as a work object links it.
    CworkObjectGraphicsDeviceDataHandlerOpenGL* handlerFor(CopenGL& device, QuadInstance& instance) {
        auto* h = static_cast<CworkObjectGraphicsDeviceDataHandlerOpenGL*>(device.initDeviceData(nullptr));
        h->linkTo(&device);
        EXPECT_EQ(h->init(&device, &instance), 0);
        return h;
    }
    TraceCapture trace{1};
    std::unique_ptr<CglContext> context;
    // Each test releases the device before its models and instances go.
    CopenGL dev;
};

TEST_F(GlDeviceData, FreeingTheDeviceLeavesNoBuffersOrDanglingSlots) {
    QuadModel model;
    QuadInstance a(model), b(model);
    int before = vertexBuffersAlloced;
    auto* ha = handlerFor(dev, a);
    void* workObjectSlot = ha; // the work object's pointer to its handler
    ha->addPointerToClear(&workObjectSlot);
    handlerFor(dev, b);
    uint32_t index = fetchIndexBuffer(&dev, model.indexBuffers[0], model.indices, 2);
    uint32_t shared = static_cast<CopenGLbuffer*>(model.shared[0])->id;
    EXPECT_NE(index, 0u);
    dev.freeAPIgraphicsResources();
    EXPECT_EQ(vertexBuffersAlloced, before);
    EXPECT_EQ(model.shared[0], nullptr);
    EXPECT_EQ(model.indexBuffers[0], nullptr);
    EXPECT_EQ(workObjectSlot, nullptr);
    EXPECT_FALSE(glIsBuffer(shared));
    EXPECT_FALSE(glIsBuffer(index));
    EXPECT_EQ(dev.numLinks(), 0);
    dev.freeAPIgraphicsResources(); // again: nothing left to do
    EXPECT_EQ(vertexBuffersAlloced, before);
}

TEST_F(GlDeviceData, ModelWithoutPointsHasNoBuffersAndDrawsNothing) {
    QuadModel model;
    model.points = 0;
    QuadInstance a(model);
    int before = vertexBuffersAlloced;
    auto* h = handlerFor(dev, a);
    EXPECT_EQ(vertexBuffersAlloced, before);
    h->updateVertexData(0);
    EXPECT_EQ(a.copies, 0);
    CglslShader unused; // the empty stream stops the draw before the program is used
    CdrawCall call;
    call.shader = &unused;
    h->fillDrawCall(call);
    call.indexBuffer = fetchIndexBuffer(&dev, model.indexBuffers[0], model.indices, 2);
    call.triangleCount = 2;
    EXPECT_EQ(dev.drawPrepared(call), 1);
    EXPECT_EQ(fetchIndexBuffer(&dev, model.indexBuffers[1], model.indices, 0), 0u);
    dev.release();
}

} // namespace
