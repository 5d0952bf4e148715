// Drawing N instances of a 2,000-triangle model into a 1920 x 1080 offscreen target: each
// instance uploads its dynamic positions and draws from the shared static stream and
// index buffer, as a frame of the tank does. Reports milliseconds per frame and triangles
// per second (on the software rasteriser unless a GPU is set up).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "../bench/allocCounter.h"
#include "graphics/glBuffers.h"
#include "graphics/glShader.h"
#include "graphics/graphicsGL.h"
#include "host/glContext.h"
#include "host/glHeaders.h"

namespace {

constexpr int gridX = 40, gridY = 25; // 40 x 25 quads: 2,000 triangles
constexpr int points = (gridX + 1) * (gridY + 1);
constexpr int triangles = gridX * gridY * 2;

char const* const vertexText =
    "attribute vec4 glVertex; attribute vec4 glColor; uniform mat4 "
    "glModelViewProjectionMatrix; varying vec4 c;\n"
    "void main() { gl_Position = glModelViewProjectionMatrix * glVertex; c = glColor; }\n";
char const* const fragmentText = "varying vec4 c; void main() { gl_FragColor = c; }\n";

struct Instance {
    std::vector<float> positions; // 3 floats per point
    uint32_t buffers[2] = {0, 0};
};

void copyFloats(void* context, void* destination) {
    auto* v = static_cast<std::vector<float>*>(context);
    std::copy(v->begin(), v->end(), static_cast<float*>(destination));
}

void BM_drawInstances(benchmark::State& state) {
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
    std::unique_ptr<CglContext> context(createOffscreenContext(1920, 1080));
    if (!context) {
        state.SkipWithError("no offscreen GL context");
        return;
    }
    CopenGL device;
    device.context = context.get();
    device.setDisplayIndex(0);
    device.setNewWindowMetrics(Crect(0, 1920, 0, 1080));
    device.GetDeviceCapabilities();
    esMatrixLoadIdentity(&device.viewProjection);

    auto* shader = new CglslShader;
    shader->linkTo(&device);
    device.shaders.push_back(shader);
    if (shader->build(&device, "bench", vertexText, fragmentText) != 0) {
        state.SkipWithError("shader did not build");
        return;
    }
    uint16_t const masks[3] = {CHAN_DIFFUSE, CHAN_POSITION, 0};
    CstreamLayout layout = layoutStreams(masks, 0, 3);
    std::vector<uint32_t> colours(points);
    for (int i = 0; i < points; i++)
        colours[static_cast<size_t>(i)] = 0xff000000u | static_cast<uint32_t>(i * 2654435761u & 0xffffffu);
    CopenGLbuffer* staticStream =
        makeBuffer(&device, GL_ARRAY_BUFFER, points * 4, colours.data(), GL_STATIC_DRAW);
    std::vector<uint16_t> indices;
    for (int y = 0; y < gridY; y++)
        for (int x = 0; x < gridX; x++) {
            uint16_t a = static_cast<uint16_t>(y * (gridX + 1) + x), b = static_cast<uint16_t>(a + 1),
                     c = static_cast<uint16_t>(a + gridX + 1), d = static_cast<uint16_t>(c + 1);
            indices.insert(indices.end(), {a, b, d, a, d, c});
        }
    CopenGLbuffer* index = makeIndexBuffer(&device, indices.data(), triangles);

    int n = static_cast<int>(state.range(0));
    std::vector<Instance> instances(static_cast<size_t>(n));
    for (int i = 0; i < n; i++) {
        Instance& in = instances[static_cast<size_t>(i)];
        float ox = -0.9f + 1.6f * static_cast<float>(i % 8) / 8,
              oy = -0.9f + 1.6f * static_cast<float>(i / 8 % 8) / 8;
        for (int y = 0; y <= gridY; y++)
            for (int x = 0; x <= gridX; x++)
                in.positions.insert(in.positions.end(), {ox + 0.5f * x / gridX, oy + 0.5f * y / gridY, 0.0f});
        for (auto& b : in.buffers)
            b = makeBuffer(&device, GL_ARRAY_BUFFER, points * 12, nullptr, GL_STREAM_DRAW)->id;
    }
    CdrawCall call;
    call.shader = shader;
    call.layout = &layout;
    call.streamBuffers[0] = staticStream->id;
    call.indexBuffer = index->id;
    call.triangleCount = triangles;

    // Buffers of one instance as CopenGLbuffer views for the upload.
    CopenGLbuffer upload(0, &device);
    int frame = 0;
    auto drawFrame = [&] {
        device.clearScreen = 1;
        device.perFrameGraphicsSetup();
        for (Instance& in : instances) {
            upload.id = in.buffers[frame & 1];
            fillArrayBuffer(&upload, points * 12, copyFloats, &in.positions);
            call.streamBuffers[1] = upload.id;
            device.drawPrepared(call);
        }
        device.present(0); // finishes the frame
        frame++;
    };
    // The rasteriser compiles its shader variants on first use (with C++ allocations).
    drawFrame();
    drawFrame();
    {
        NoAllocations guard(state);
        for (auto _ : state)
            drawFrame();
    }
    upload.id = 0;
    // Seconds per frame, printed with its prefix ("2.9m" is 2.9 ms).
    state.counters["frame_time"] = benchmark::Counter(
        static_cast<double>(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["triangles_per_s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * n * triangles, benchmark::Counter::kIsRate);
    device.release();
}

} // namespace

BENCHMARK(BM_drawInstances)->Arg(1)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond)->UseRealTime();
