// The dusk pool's pictures: the far water at dusk behind the tank, and the tiling surfaces of
// its bark, soil, stones and algae.
#include <numbers>
#include <vector>

#include "duskPool.h"
#include "modelWriter.h"

namespace {

constexpr double pi = std::numbers::pi;
using Pixels = std::vector<uint8_t>;

struct Colour {
    double r, g, b;
};
Colour mixColour(Colour a, Colour b, double t) {
    return {mix(a.r, b.r, t), mix(a.g, b.g, t), mix(a.b, b.b, t)};
}

// A blade of far grass on the backdrop: where it stands, how long, thin and bent it is.
struct FarBlade {
    double x0, base, len, halfWidth, lean, phase;
};

// The blades of one range of the backdrop (layer 1 far, 2 near), rooted on its ridge.
std::vector<FarBlade> farBlades(int layer) {
    Crng rng{0xD05EULL + static_cast<uint64_t>(layer)};
    std::vector<FarBlade> blades;
    for (int f = 0; f < 70 * layer; f++) {
        FarBlade b;
        b.x0 = rng.next();
        b.len = rng.range(0.2, 0.5) * (0.7 + 0.2 * layer);
        b.halfWidth = rng.range(0.0022, 0.0045) * (0.8 + 0.3 * layer);
        b.lean = rng.range(-0.06, 0.06);
        b.phase = rng.range(0, 2 * pi);
        b.base = 0.12 + 0.06 * (2 - layer) + 0.04 * fractalNoise(b.x0 * 6, layer * 5.0, 60 + layer, 3, 0);
        blades.push_back(b);
    }
    return blades;
}

double bladeCover(std::vector<FarBlade> const& blades, double u, double v, double pixel) {
    double cover = 0.0;
    for (FarBlade const& b : blades) {
        double t = (v - b.base) / b.len;
        if (t < 0 || t > 1 || std::fabs(u - b.x0) > 0.1) continue;
        double centre = b.x0 + b.lean * t * t + 0.01 * std::sin(t * 4 + b.phase) * t;
        double half = b.halfWidth * std::pow(1 - t, 0.5) + 0.3 * pixel;
        cover = std::max(cover, smoothStep(half + pixel, half - pixel, std::fabs(u - centre)));
    }
    return cover;
}

// A far branch of driftwood leaning out of the near range, as a silhouette.
double branchCover(double u, double v, double pixel) {
    double best = 1e9;
    for (int i = 0; i <= 40; i++) {
        double t = i / 40.0;
        double x = mix(0.6, 0.78, t) + 0.03 * std::sin(t * pi), y = mix(0.1, 0.5, t);
        best = std::min(best, std::hypot((u - x) * 2.0, v - y) - mix(0.022, 0.006, t));
    }
    return smoothStep(pixel, -pixel, best);
}

} // namespace

// Water at dusk: deep blue-violet below, a warm glow from the surface, slanting shafts of late
// light, and ranges of far hills, grass and a branch fading into the haze.
bool writeDuskBackdropPicture(std::string const& path) {
    const int w = 512, h = 256;
    const Colour deep{0.05, 0.07, 0.13}, middle{0.15, 0.19, 0.25}, top{0.72, 0.5, 0.32}, sun{1.0, 0.8, 0.55};
    const std::vector<FarBlade> blades[3] = {{}, farBlades(1), farBlades(2)};
    Pixels px(w * h * 3);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            double u = double(x) / w, v = double(y) / (h - 1), pixel = 1.0 / w;
            Colour c = v < 0.45 ? mixColour(deep, middle, v / 0.45)
                                : mixColour(middle, top, std::pow((v - 0.45) / 0.55, 1.3));
            double shaft = 0.5 + 0.5 * fractalNoise((u - 0.35 * v) * 10, 0.5, 7, 3, 0);
            shaft = std::pow(shaft, 3.0) * smoothStep(0.3, 1.0, v) * 0.25;
            c = {c.r + shaft * sun.r, c.g + shaft * sun.g, c.b + shaft * sun.b};
            for (int layer = 0; layer < 3; layer++) {
                double ridge = 0.2 + 0.05 * (2 - layer) +
                               0.06 * fractalNoise(u * (4 + 3 * layer), layer * 3.0, 50 + layer, 3, 0);
                double cover = smoothStep(ridge + 0.006, ridge - 0.006, v);
                if (layer > 0) cover = std::max(cover, bladeCover(blades[layer], u, v, pixel));
                if (layer == 1) cover = std::max(cover, branchCover(u, v, pixel));
                double haze = 0.55 - 0.2 * layer;
                Colour tone =
                    mixColour(Colour{deep.r * 0.7, deep.g * 0.6, deep.b * 0.8}, Colour{0.2, 0.2, 0.3}, haze);
                c = mixColour(c, tone, cover * (0.7 + 0.1 * layer));
            }
            double speck = latticeNoise(x * 0.6, y * 0.6, 13, 0) > 0.9 ? 0.05 * smoothStep(0.2, 0.8, v) : 0.0;
            double grain = 0.01 * latticeNoise(x * 0.7, y * 0.7, 9, 0);
            uint8_t* p = &px[(y * w + x) * 3];
            p[0] = byte(c.r + grain + speck);
            p[1] = byte(c.g + grain + speck);
            p[2] = byte(c.b + grain + speck * 0.8);
        }
    return writeSgi(path, w, h, 3, px);
}

// Bark, tiling: grain running along the branch (v), warped, with darker cracks.
bool writeBarkPicture(std::string const& path) {
    const int n = 256;
    const Colour dark{0.17, 0.11, 0.07}, light{0.46, 0.34, 0.23};
    Pixels px(n * n * 3);
    for (int y = 0; y < n; y++)
        for (int x = 0; x < n; x++) {
            double u = double(x) / n, v = double(y) / n;
            double grain =
                0.5 + 0.5 * std::sin(2 * pi * (u * 12 + 0.6 * fractalNoise(u * 4, v * 4, 721, 3, 4)));
            double patch = 0.5 + 0.5 * fractalNoise(u * 8, v * 8, 722, 3, 8);
            double crack = std::fabs(fractalNoise(u * 6, v * 6, 723, 2, 6));
            Colour c = mixColour(dark, light, 0.65 * grain + 0.35 * patch);
            double shade = 0.8 + 0.2 * smoothStep(0.0, 0.06, crack);
            uint8_t* p = &px[(y * n + x) * 3];
            p[0] = byte(c.r * shade);
            p[1] = byte(c.g * shade);
            p[2] = byte(c.b * shade);
        }
    return writeSgi(path, n, n, 3, px);
}

// Dark soil, tiling: brown earth with light and dark grains of gravel.
bool writeSoilPicture(std::string const& path) {
    const int n = 256;
    const Colour earth{0.3, 0.23, 0.16}, pale{0.56, 0.5, 0.41}, dark{0.12, 0.09, 0.07};
    Pixels px(n * n * 3);
    for (int y = 0; y < n; y++)
        for (int x = 0; x < n; x++) {
            double u = double(x) / n, v = double(y) / n;
            double coarse = latticeNoise(x * 0.125, y * 0.125, 611, 32);
            double fine = latticeNoise(x * 0.5, y * 0.5, 612, 128);
            double patch = fractalNoise(u * 8, v * 8, 613, 3, 8);
            Colour c = earth;
            c = mixColour(c, pale, smoothStep(0.45, 0.75, fine) * 0.8);
            c = mixColour(c, dark, smoothStep(-0.5, -0.8, fine) * 0.7);
            double shade = 0.8 + 0.15 * coarse + 0.08 * patch;
            uint8_t* p = &px[(y * n + x) * 3];
            p[0] = byte(c.r * shade);
            p[1] = byte(c.g * shade);
            p[2] = byte(c.b * shade);
        }
    return writeSgi(path, n, n, 3, px);
}

// River stone, tiling: smooth warm grey, softly mottled, with fine specks.
bool writeStonePicture(std::string const& path) {
    const int n = 256;
    Pixels px(n * n * 3);
    for (int y = 0; y < n; y++)
        for (int x = 0; x < n; x++) {
            double u = double(x) / n, v = double(y) / n;
            double mottle = 0.82 + 0.18 * fractalNoise(u * 4, v * 4, 621, 4, 4);
            double speck = latticeNoise(x * 0.75, y * 0.75, 622, 192) > 0.7 ? 0.88 : 1.0;
            double s = mottle * speck;
            uint8_t* p = &px[(y * n + x) * 3];
            p[0] = byte(0.74 * s);
            p[1] = byte(0.7 * s);
            p[2] = byte(0.63 * s);
        }
    return writeSgi(path, n, n, 3, px);
}

// Algae on wood: olive tufts.
bool writeWoodAlgaePicture(std::string const& path) {
    return writeAlgaePatch(path, 6, 631, 0.32, 0.47, 0.14);
}
