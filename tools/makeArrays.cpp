// makeArrays: writes data-array files ("AAC0") and voxel volumes ("VOXL") from built-in
// generators.
//
//   makeArrays <generator> <output file>
//
// The build runs it to produce the arrays the engine ships, so that binary data is made
// from source instead of being kept in the repository. Every generator uses fixed seeds:
// the same file on every build.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <numbers>

#include "data/dataArray.h"

namespace {

// A small fixed-seed generator: the same file on every build.
struct Lcg {
    uint64_t state;
    double next() { // [0, 1)
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(state >> 11) * (1.0 / 9007199254740992.0);
    }
};

// Three smooth random curves over positions 0 to 50 whose ends meet: each channel is a sum
// of sine waves whose periods divide 50, with amplitudes falling with frequency, scaled so
// that its largest magnitude is 1.
bool makeNoise50(CdataChan& chan) {
    const int samples = 501; // a sample every 0.1
    const int harmonics = 7;
    const double period = 50.0;
    chan.init(samples, 1, 1, 3, 4);
    if (!chan.floatData) return false;
    chan.setDimensionSpace(0, 0.0f, static_cast<float>(period));
    chan.setName("noise50ramp");
    Lcg rng{0x5eed50ULL};
    for (int c = 0; c < 3; c++) {
        double amplitude[harmonics], phase[harmonics];
        for (int k = 0; k < harmonics; k++) {
            amplitude[k] = (0.4 + 0.6 * rng.next()) / std::pow(k + 1.0, 1.3);
            phase[k] = 2.0 * std::numbers::pi * rng.next();
        }
        double curve[samples], peak = 0.0;
        for (int i = 0; i < samples; i++) {
            double x = period * i / (samples - 1), v = 0.0;
            for (int k = 0; k < harmonics; k++)
                v += amplitude[k] * std::sin(2.0 * std::numbers::pi * (k + 1) * x / period + phase[k]);
            curve[i] = v;
            peak = std::fmax(peak, std::fabs(v));
        }
        curve[samples - 1] = curve[0]; // the ends meet exactly
        for (int i = 0; i < samples; i++)
            chan.floatData[i * 3 + c] = static_cast<float>(curve[i] / peak);
    }
    return true;
}

// A tank's level set: one channel over the box (-1, -1, -1) .. (1, 1, 1), the signed
// distance to the nearest wall of the water (positive inside), cut by a few rocks on the
// floor (negative inside each).
bool makeTankLevelSet(CdataVolume& volume) {
    const int res[3] = {32, 24, 32};
    volume.init(res[0], res[1], res[2], 1, 4);
    if (!volume.floatData) return false;
    for (int d = 0; d < 3; d++)
        volume.setDimensionSpace(d, -1.0f, 1.0f);
    volume.setName("tankLevelSet");
    struct Rock {
        double x, y, z, r;
    } rocks[4];
    Lcg rng{0x1e7e15e7ULL};
    for (Rock& r : rocks) {
        r.x = -0.7 + 1.4 * rng.next();
        r.z = -0.7 + 1.4 * rng.next();
        r.r = 0.15 + 0.15 * rng.next();
        r.y = -1.0 + 0.3 * r.r; // sunk into the floor
    }
    float* out = volume.floatData;
    for (int k = 0; k < res[2]; k++)
        for (int j = 0; j < res[1]; j++)
            for (int i = 0; i < res[0]; i++) {
                double p[3] = {-1.0 + 2.0 * i / (res[0] - 1), -1.0 + 2.0 * j / (res[1] - 1),
                               -1.0 + 2.0 * k / (res[2] - 1)};
                double level = 1.0;
                for (double c : p)
                    level = std::fmin(level, 0.95 - std::fabs(c)); // the walls stand just inside the box
                for (Rock const& r : rocks)
                    level = std::fmin(level, std::hypot(p[0] - r.x, p[1] - r.y, p[2] - r.z) - r.r);
                *out++ = static_cast<float>(level);
            }
    return true;
}

struct Generator {
    char const* name;
    bool (*makeChan)(CdataChan&);
    bool (*makeVolume)(CdataVolume&);
};
const Generator generators[] = {{"noise50", makeNoise50, nullptr},
                                {"tankLevelSet", nullptr, makeTankLevelSet}};

// Makes and writes one generator's array; 0 written.
int writeArray(Generator const& g, char const* path) {
    CdataChan chan;
    CdataVolume volume;
    if (g.makeChan ? !g.makeChan(chan) : !g.makeVolume(volume)) {
        std::fprintf(stderr, "makeArrays: %s could not be made\n", g.name);
        return 1;
    }
    std::error_code ec;
    std::filesystem::path out(path);
    if (out.has_parent_path()) std::filesystem::create_directories(out.parent_path(), ec);
    int failed = g.makeChan ? chan.save(path) : volume.saveVox(path, 1.0f, 0, 0.0f, 1.0f);
    if (failed) std::fprintf(stderr, "makeArrays: could not write %s\n", path);
    return failed ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: makeArrays <generator> <output file>\n");
        return 2;
    }
    for (Generator const& g : generators)
        if (std::strcmp(argv[1], g.name) == 0) return writeArray(g, argv[2]);
    std::fprintf(stderr, "makeArrays: no generator named %s\n", argv[1]);
    return 2;
}
