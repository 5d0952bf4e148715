// Food generators. Particles and the strand are authored about their joints at the origin,
// in tank units; the shaker in its own units, one unit being its width on screen.
#include "foodModels.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "modelWriter.h"
#include "vec3.h"

namespace {

constexpr double pi = std::numbers::pi;
using Pixels = std::vector<uint8_t>;

void skinnedAttribs(CmodelWriter& m) {
    m.attrib("pos", 3);
    m.attrib("N", 3);
    m.attrib("uv", 2);
    m.attrib("mat", 2);
    m.attrib("blend", 1);
}

// ---- floating food: flakes and pellets, one joint each ----

// A flake: an irregular flat piece facing the viewer, fanned from its middle; uv in the
// picture's left half.
void addFlake(CmodelWriter& m, int joint, Crng& rng) {
    const int corners = 6;
    float j = float(joint);
    int centre = m.point({0, 0, 0, 0, 0, 1, 0.25f, 0.5f, j, j, 1});
    std::vector<int> ring;
    double turn = rng.range(0, 2 * pi);
    for (int c = 0; c < corners; c++) {
        double a = turn + 2 * pi * (c + rng.range(-0.25, 0.25)) / corners, r = rng.range(0.03, 0.055);
        float x = float(r * std::cos(a)), y = float(r * std::sin(a));
        ring.push_back(m.point({x, y, 0, 0, 0, 1, 0.25f + x * 4, 0.5f + y * 8, j, j, 1}));
    }
    for (int c = 0; c < corners; c++)
        m.polygon({centre, ring[c], ring[(c + 1) % corners]}, "mat_food_oa");
}

// A pellet: a small rounded octahedron; uv in the picture's right half.
void addPellet(CmodelWriter& m, int joint, Crng& rng) {
    float j = float(joint), r = float(rng.range(0.022, 0.03));
    const float dirs[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    int p[6];
    for (int k = 0; k < 6; k++) {
        float const* d = dirs[k];
        p[k] = m.point({d[0] * r, d[1] * r * 0.8f, d[2] * r, d[0], d[1], d[2], 0.75f + 0.2f * d[0],
                        0.5f + 0.4f * d[1], j, j, 1});
    }
    int const faces[8][3] = {{0, 2, 4}, {4, 2, 1}, {1, 2, 5}, {5, 2, 0},
                             {4, 3, 0}, {1, 3, 4}, {5, 3, 1}, {0, 3, 5}};
    for (auto const& f : faces)
        m.polygon({p[f[0]], p[f[1]], p[f[2]]}, "mat_food_oa");
}

bool writeFoodModel(std::string const& model, std::string const& skeleton) {
    CmodelWriter m, s;
    skinnedAttribs(m);
    s.attrib("pos", 3);
    s.attrib("parentMat", 1);
    for (int j = 0; j < kFoodParticles; j++) {
        s.point({0, 0, 0, -1});
        Crng rng{0xF00DULL + static_cast<uint64_t>(j)};
        // Two flakes to every pellet.
        if (j % 3 == 2)
            addPellet(m, j, rng);
        else
            addFlake(m, j, rng);
    }
    return m.write(model) && s.write(skeleton);
}

// Flakes on the left (warm orange and red, speckled), pellets on the right (olive brown).
bool writeFoodPicture(std::string const& path) {
    const int n = 64;
    Pixels px(n * n * 3);
    for (int y = 0; y < n; y++)
        for (int x = 0; x < n; x++) {
            double u = (x + 0.5) / n, v = (y + 0.5) / n;
            double speck = latticeNoise(u * 24, v * 24, 81, 0);
            double r, g, b;
            if (u < 0.5) {
                double warm = 0.5 + 0.5 * latticeNoise(u * 6, v * 6, 82, 0);
                r = 0.95, g = 0.35 + 0.3 * warm, b = 0.12;
                if (speck > 0.6) r = 0.75, g = 0.12, b = 0.1;
                if (speck < -0.7) r = 0.95, g = 0.9, b = 0.55;
            } else {
                r = 0.45, g = 0.36, b = 0.18;
                if (speck > 0.5) r = 0.6, g = 0.52, b = 0.3;
            }
            uint8_t* p = &px[(y * n + x) * 3];
            p[0] = byte(r), p[1] = byte(g), p[2] = byte(b);
        }
    return writeSgi(path, n, n, 3, px);
}

// ---- the shaker: a jar held upside down, its pouring cap at the pointer ----

bool writeShakerModel(std::string const& model, std::string const& skeleton) {
    CmodelWriter m, s;
    skinnedAttribs(m);
    s.attrib("pos", 3);
    s.attrib("parentMat", 1);
    s.point({0, 0, 0, -1}); // position and size
    s.point({0, 0, 0, 0});  // the tilt, about the cap
    // Rows up the jar: height and half width; the cap is narrower than the jar.
    const float rows[][2] = {{0.0f, 0.13f}, {0.12f, 0.13f}, {0.13f, 0.19f}, {0.74f, 0.19f}, {0.8f, 0.15f}};
    const int count = sizeof rows / sizeof rows[0];
    std::vector<int> left, right;
    for (auto const& r : rows) {
        float v = r[0] / 0.8f;
        left.push_back(m.point({-r[1], r[0], 0, 0, 0, 1, 0.5f - r[1] / 0.4f, v, 1, 1, 1}));
        right.push_back(m.point({r[1], r[0], 0, 0, 0, 1, 0.5f + r[1] / 0.4f, v, 1, 1, 1}));
    }
    for (int k = 0; k + 1 < count; k++)
        m.polygon({left[k], right[k], right[k + 1], left[k + 1]}, "mat_shaker_oa");
    return m.write(model) && s.write(skeleton);
}

// The cap (grey, with holes) at the bottom; the clear jar above it, full of flakes, with a
// label; the outline darker.
bool writeShakerPicture(std::string const& path) {
    const int w = 64, h = 128;
    Pixels px(w * h * 4);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            double u = (x + 0.5) / w, v = (y + 0.5) / h;
            double edge = std::min({u, 1 - u}) * 2;
            double r, g, b;
            if (v < 0.15) {
                double hx = std::fmod(u * 6, 1.0) - 0.5, hy = std::fmod(v * 40, 1.0) - 0.5;
                bool hole = v > 0.03 && v < 0.12 && hx * hx + hy * hy < 0.06;
                double grey = hole ? 0.15 : 0.62 + 0.2 * std::sin(u * pi);
                r = g = b = grey;
            } else if (v > 0.45 && v < 0.65) {
                r = 0.95, g = 0.85, b = 0.35; // the label
                if (std::fabs(v - 0.55) < 0.02 && u > 0.25 && u < 0.75) r = 0.75, g = 0.25, b = 0.15;
            } else {
                double flake = latticeNoise(u * 14, v * 28, 91, 0);
                r = 0.55 + 0.35 * flake, g = 0.32 + 0.2 * flake, b = 0.2;
                double glass = 0.35 * std::pow(1 - edge, 3);
                r += glass, g += glass, b += glass;
            }
            double rim = smoothStep(0.06, 0.0, edge);
            uint8_t* p = &px[(y * w + x) * 4];
            p[0] = byte(r * (1 - 0.6 * rim)), p[1] = byte(g * (1 - 0.6 * rim)),
            p[2] = byte(b * (1 - 0.6 * rim));
            p[3] = 255;
        }
    return writeSgi(path, w, h, 4, px);
}

// ---- the waste strand ----

// The strand's cloth: every point carries the cloth attributes.
void strandAttribs(CmodelWriter& m) {
    skinnedAttribs(m);
    m.attrib("spineNum", 1);
    m.attrib("fin_dist", 1);
    m.attrib("fin_angles", 2);
}

// One spine of links from its anchor along dir, link length apart; the first link's normal
// reaches back to the anchor. The points, in order.
std::vector<int> addSpine(CmodelWriter& m, char const* piece, double ax, double ay, double az, double dx,
                          double dy, double dz, int links, double length) {
    std::vector<int> points;
    for (int k = 1; k <= links; k++) {
        double px = ax + dx * length * k, py = ay + dy * length * k, pz = az + dz * length * k;
        // The base link's normal is the way back to the anchor; the others' the way back.
        double scale = k == 1 ? length : 1.0;
        points.push_back(m.point({float(px), float(py), float(pz), float(-dx * scale), float(-dy * scale),
                                  float(-dz * scale), 0, 0, 0, 0, 1, 0, float(length), 0, 0}));
        m.pointGroup(
            (k == 1 ? std::string("cloth_base_") + piece : std::string("cloth_") + piece + "1").c_str(),
            points.back());
    }
    return points;
}

bool writeStrandModel(std::string const& model, std::string const& skeleton) {
    const double link = 0.018;
    CmodelWriter m, s;
    strandAttribs(m);
    s.attrib("pos", 3);
    s.attrib("parentMat", 1);
    s.point({0, 0, 0, -1});
    int root = m.point({0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, -1, 0, 0, 0});
    // Hanging: back along the fish and a little down.
    double len = std::sqrt(1 + 0.45 * 0.45);
    std::vector<int> hanging = addSpine(m, "poo", 0, 0, 0, 0, -0.45 / len, -1 / len, kStrandLinks, link);
    // Falling: two halves down the root's up axis, the second anchored where the first ends.
    const int half = kStrandLinks / 2;
    std::vector<int> a = addSpine(m, "Apoo", 0, 0, 0, 0, -1, 0, half, link);
    std::vector<int> b = addSpine(m, "Bpoo", 0, -half * link, 0, 0, -1, 0, kStrandLinks - half, link);
    m.pointGroup("poo_points", root);
    for (int p : hanging)
        m.pointGroup("poo_points", p);
    m.pointGroup("poo_points_falling", root);
    for (int p : a)
        m.pointGroup("poo_points_falling", p);
    for (int p : b)
        m.pointGroup("poo_points_falling", p);
    // The ribbon: two points across each point along the strand, laid out every frame.
    const int along = kStrandLinks + 1;
    std::vector<int> ribbon;
    for (int k = 0; k < along; k++)
        for (int side = 0; side < 2; side++) {
            float v = float(k) / (along - 1);
            ribbon.push_back(m.point(
                {side ? 0.01f : -0.01f, 0, float(-link * k), 0, 0, 1, float(side), v, 0, 0, 1, -1, 0, 0, 0}));
            m.pointGroup("mesh_points", ribbon.back());
        }
    for (int k = 0; k + 1 < along; k++)
        m.polygon({ribbon[2 * k], ribbon[2 * k + 1], ribbon[2 * k + 3], ribbon[2 * k + 2]},
                  "mat_fish_poo_t0");
    return m.write(model) && s.write(skeleton);
}

// Dark brown, opaque along the middle, fading to the edges and the tip.
bool writeStrandPicture(std::string const& path) {
    const int w = 16, h = 64;
    Pixels px(w * h * 4);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            double u = (x + 0.5) / w, v = (y + 0.5) / h;
            double across = std::fabs(u - 0.5) * 2;
            double grain = 0.85 + 0.15 * latticeNoise(u * 4, v * 20, 93, 0);
            uint8_t* p = &px[(y * w + x) * 4];
            p[0] = byte(0.32 * grain), p[1] = byte(0.22 * grain), p[2] = byte(0.12 * grain);
            p[3] = byte(smoothStep(1.0, 0.55, across) * smoothStep(1.0, 0.85, v) * 0.9);
        }
    return writeSgi(path, w, h, 4, px);
}

std::vector<CgeneratedFile> const& outputs() {
    auto skeletonBeside = [](std::string const& p) { return p.substr(0, p.size() - 4) + "_skel.geo"; };
    static const std::vector<CgeneratedFile> list = {
        {"species/food/food.geo", [=](std::string const& p) { return writeFoodModel(p, skeletonBeside(p)); }},
        {"species/food/food_skel.geo", [](std::string const&) { return true; }},
        {"species/food/arrays/food.sgi", writeFoodPicture},
        {"species/food_container/food_container.geo",
         [=](std::string const& p) { return writeShakerModel(p, skeletonBeside(p)); }},
        {"species/food_container/food_container_skel.geo", [](std::string const&) { return true; }},
        {"species/food_container/arrays/shaker.sgi", writeShakerPicture},
        {"species/fish_poo/fish_poo.geo",
         [=](std::string const& p) { return writeStrandModel(p, skeletonBeside(p)); }},
        {"species/fish_poo/fish_poo_skel.geo", [](std::string const&) { return true; }},
        {"species/fish_poo/arrays/fish_poo.sgi", writeStrandPicture},
    };
    return list;
}

} // namespace

std::vector<std::string> const& foodFiles() {
    static std::vector<std::string> const files = generatedFileNames(outputs());
    return files;
}

int writeFood(std::string const& root) {
    return writeGeneratedFiles(outputs(), root, "food");
}
