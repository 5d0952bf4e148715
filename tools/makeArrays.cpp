// makeArrays: writes data-array files ("AAC0") from built-in generators.
//
//   makeArrays <generator> <output file>
//
// The build runs it to produce the arrays the engine ships, so that binary data is made
// from source instead of being kept in the repository.
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

struct Generator {
    char const* name;
    bool (*make)(CdataChan&);
};
const Generator generators[] = {{"noise50", makeNoise50}};

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: makeArrays <generator> <output file>\n");
        return 2;
    }
    for (Generator const& g : generators) {
        if (std::strcmp(argv[1], g.name) != 0) continue;
        CdataChan chan;
        if (!g.make(chan)) {
            std::fprintf(stderr, "makeArrays: %s could not be made\n", g.name);
            return 1;
        }
        std::error_code ec;
        std::filesystem::path out(argv[2]);
        if (out.has_parent_path()) std::filesystem::create_directories(out.parent_path(), ec);
        if (chan.save(argv[2]) != 0) {
            std::fprintf(stderr, "makeArrays: could not write %s\n", argv[2]);
            return 1;
        }
        return 0;
    }
    std::fprintf(stderr, "makeArrays: no generator named %s\n", argv[1]);
    return 2;
}
