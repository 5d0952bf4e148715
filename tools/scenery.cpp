// Scenery generators. The tank is built in tank units (tank scale 1): water from x -3.4 to
// 3.4, y -1.6 (the sand) to 1.9, z -2.4 to 1.2, the backdrop behind at z -2.5. Models that
// are not skinned (rocks, the floor) are authored in place; plants are authored in place as
// well, since their joints are bound to the tank's origin.
#include "scenery.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "data/dataArray.h"
#include "modelWriter.h"
#include "sceneryParts.h"

namespace {

constexpr double pi = std::numbers::pi;
constexpr float floorY = -1.6f;

// The sand's height at (x, z): long ripples broken up by noise.
double sandHeight(double x, double z) {
    double ripple = std::sin(x * 3.1 + 1.7 * fractalNoise(x * 0.4, z * 0.4, 71, 3, 0)) * 0.025;
    return floorY + ripple + 0.05 * fractalNoise(x * 0.35 + 10, z * 0.35, 72, 3, 0) + 0.03 * (-z - 0.5);
}

// ---- rocks ----
struct RockShape {
    char const* name;
    double cx, cz;     // where it stands
    double sx, sy, sz; // half sizes
    double roughness;  // noise depth
    uint32_t seed;
    double turn; // heading
};
const RockShape rockShapes[] = {
    {"rock_boulder", -1.9, -1.2, 0.75, 0.55, 0.7, 0.22, 11, 0.3},
    {"rock_slab", 1.7, -1.5, 1.05, 0.32, 0.65, 0.15, 23, -0.5},
    {"rock_spire", 0.35, -1.95, 0.4, 1.15, 0.45, 0.28, 37, 1.1},
};

V3 rockPoint(RockShape const& r, double theta, double phi) {
    double lon = phi / (2 * pi) * 6.0, lat = theta / pi * 4.0;
    double n = fractalNoise(lon, lat, r.seed, 4, 6);
    double bump = 1.0 + r.roughness * n;
    // Flatter underneath, so the rock sits on the sand.
    double st = std::sin(theta), ct = std::cos(theta);
    V3 d{st * std::cos(phi) * r.sx * bump, ct * r.sy * bump, st * std::sin(phi) * r.sz * bump};
    if (d.y < 0) d.y *= 0.45;
    double c = std::cos(r.turn), s = std::sin(r.turn);
    double baseY = sandHeight(r.cx, r.cz) + r.sy * 0.35;
    return {r.cx + c * d.x - s * d.z, baseY + d.y, r.cz + s * d.x + c * d.z};
}

bool writeRock(RockShape const& r, std::string const& path) {
    const int rings = 14, segs = 24;
    std::vector<V3> grid((rings + 1) * segs);
    for (int i = 0; i <= rings; i++)
        for (int j = 0; j < segs; j++)
            grid[i * segs + j] = rockPoint(r, pi * i / rings, 2 * pi * j / segs);
    CmodelWriter m;
    m.attrib("pos", 3);
    m.attrib("N", 3);
    m.attrib("uv", 2);
    V3 centre = rockPoint(r, pi / 2, 0);
    centre = {r.cx, centre.y, r.cz};
    for (int i = 0; i <= rings; i++)
        for (int j = 0; j <= segs; j++) {
            V3 p = grid[i * segs + j % segs];
            V3 n;
            if (i == 0 || i == rings) {
                n = unit(p - centre);
            } else {
                V3 along = grid[i * segs + (j + 1) % segs] - grid[i * segs + (j + segs - 1) % segs];
                V3 down = grid[(i + 1) * segs + j % segs] - grid[(i - 1) * segs + j % segs];
                n = unit(cross(along, down));
            }
            m.point({float(p.x), float(p.y), float(p.z), float(n.x), float(n.y), float(n.z),
                     float(j * 3.0 / segs), float(i * 1.5 / rings)});
        }
    auto at = [&](int i, int j) { return i * (segs + 1) + j; };
    for (int i = 0; i < rings; i++)
        for (int j = 0; j < segs; j++)
            m.polygon({at(i, j), at(i, j + 1), at(i + 1, j + 1), at(i + 1, j)}, "mat_rock_oa");
    return m.write(path);
}

// Algae on the spire's face towards the viewer, within the fish's reach: a patch of points a
// little off the rock, each a place to peck (its normal the rock's, broadcastDP and
// receiveDP how squarely a fish must face it).
bool writeAlgae(std::string const& path) {
    RockShape const& r = rockShapes[2];
    const int rows = 6, cols = 8;
    // e spans the rock's small bumps: the normal is the face's, not a bump's.
    const double thetaLo = 0.6, thetaHi = 1.3, phiMid = 0.42, phiHalf = 0.45, lift = 0.012, e = 0.15;
    V3 centre = rockPoint(r, pi / 2, 0);
    centre = {r.cx, centre.y, r.cz};
    CmodelWriter m;
    m.attrib("pos", 3);
    m.attrib("N", 3);
    m.attrib("uv", 2);
    m.attrib("broadcastDP", 1);
    m.attrib("receiveDP", 1);
    for (int i = 0; i <= rows; i++)
        for (int j = 0; j <= cols; j++) {
            double theta = mix(thetaLo, thetaHi, double(i) / rows);
            double phi = phiMid + phiHalf * (2.0 * j / cols - 1.0);
            V3 p = rockPoint(r, theta, phi);
            V3 n = unit(cross(rockPoint(r, theta, phi + e) - rockPoint(r, theta, phi - e),
                              rockPoint(r, theta + e, phi) - rockPoint(r, theta - e, phi)));
            V3 out = p - centre;
            if (n.x * out.x + n.y * out.y + n.z * out.z < 0) n = {-n.x, -n.y, -n.z};
            p = {p.x + n.x * lift, p.y + n.y * lift, p.z + n.z * lift};
            m.point({float(p.x), float(p.y), float(p.z), float(n.x), float(n.y), float(n.z), float(j) / cols,
                     float(i) / rows, 0.5f, 0.8f});
        }
    auto at = [&](int i, int j) { return i * (cols + 1) + j; };
    for (int i = 0; i < rows; i++)
        for (int j = 0; j < cols; j++)
            m.polygon({at(i, j), at(i, j + 1), at(i + 1, j + 1), at(i + 1, j)}, "mat_algae_oa");
    return m.write(path);
}

// Spheres that cover the rocks, for the fish to steer round.
bool writeAvoidSpheres(std::string const& path) {
    CmodelWriter m;
    m.attrib("pos", 3);
    m.attrib("pscale", 1);
    for (RockShape const& r : rockShapes) {
        double c = std::cos(r.turn), s = std::sin(r.turn);
        double baseY = sandHeight(r.cx, r.cz) + r.sy * 0.35;
        if (r.sy > r.sx) { // tall: stacked
            for (int k = 0; k < 3; k++)
                m.point({float(r.cx), float(baseY - 0.1 + k * r.sy * 0.55), float(r.cz),
                         float(r.sx * (1.25 - 0.2 * k))});
        } else { // wide: side by side along its long axis
            for (int k = -1; k <= 1; k++) {
                double along = k * r.sx * 0.5;
                m.point({float(r.cx + c * along), float(baseY), float(r.cz + s * along),
                         float(std::max(r.sy, r.sz) * 1.15)});
            }
        }
    }
    return m.write(path);
}

// ---- the sand floor and its height field ----
constexpr double floorX0 = -4.2, floorX1 = 4.2, floorZ0 = -3.0, floorZ1 = 1.8;

bool writeFloor(std::string const& path) {
    return writeFloorGrid(path, {floorX0, floorX1, floorZ0, floorZ1}, sandHeight, 0.5, "mat_sand_oa");
}

// The sand's height, and how strongly shadows fall on it.
bool writeHeightField(std::string const& path) {
    return writeFloorHeightField(path, {floorX0, floorX1, floorZ0, floorZ1}, sandHeight);
}

// Where the crab may walk and how much light reaches the floor. Channel 1: 1 on open sand
// in view, 0 under and around the rocks and near the water's walls. Channel 2: the light on
// the floor, dimmer under the rocks' overhangs and towards the back.
bool writeCrabExtras(std::string const& path) {
    return writeCrabGround(path, [](double x, double z, double& walk, double& light) {
        walk = smoothStep(3.0, 2.6, std::fabs(x)) * smoothStep(-2.1, -1.8, z) * smoothStep(0.9, 0.6, z);
        double shade = 1.0;
        for (RockShape const& r : rockShapes) {
            double c = std::cos(r.turn), s = std::sin(r.turn);
            double dx = x - r.cx, dz = z - r.cz;
            double u = (c * dx + s * dz) / r.sx, v = (-s * dx + c * dz) / r.sz;
            double d = std::sqrt(u * u + v * v);
            walk *= smoothStep(1.25, 1.6, d);
            shade *= 1.0 - 0.45 * smoothStep(1.8, 0.9, d);
        }
        light = shade * (0.75 + 0.12 * (z + 2.4) / 3.6) + 0.08 * fractalNoise(x * 0.9, z * 0.9, 91, 3, 0);
    });
}

// Signed distance to the sand and the rocks' spheres (positive in the water), capped by
// the water's walls.
bool writeLevelSet(std::string const& path) {
    return writeTankLevelSet(path, [](V3 const& p) {
        double level = p.y - sandHeight(p.x, p.z);
        level = std::min({level, 3.4 - std::fabs(p.x), 1.9 - p.y, p.z + 2.4, 1.2 - p.z});
        for (RockShape const& r : rockShapes) {
            double baseY = sandHeight(r.cx, r.cz) + r.sy * 0.35;
            double dx = (p.x - r.cx) / r.sx, dy = (p.y - baseY) / r.sy, dz = (p.z - r.cz) / r.sz;
            double scale = std::min({r.sx, r.sy, r.sz});
            level = std::min(level, (std::sqrt(dx * dx + dy * dy + dz * dz) - 1.0) * scale);
        }
        return level;
    });
}

// ---- waving plants ----
const PlantKind plantKinds[] = {
    {"kelp", -2.55, -1.75, 6, 12, 2.6, 0.16, 0.35, 0.075, 101},
    {"sea_grass", 2.35, -0.55, 11, 6, 0.9, 0.06, 0.45, 0.11, 202},
};

// ---- bubbles, the focus marker and the backdrop: skinned quads ----
void skinnedAttribs(CmodelWriter& m) {
    m.attrib("pos", 3);
    m.attrib("N", 3);
    m.attrib("uv", 2);
    m.attrib("mat", 2);
    m.attrib("blend", 1);
}

// One quad per bubble, big bubbles first; each bubble is one joint at the origin.
bool writeBubbles(std::string const& model, std::string const& skeleton) {
    const int count = 48, big = 8;
    CmodelWriter m, s;
    skinnedAttribs(m);
    s.attrib("pos", 3);
    s.attrib("parentMat", 1);
    s.attrib("bigOne", 1);
    for (int b = 0; b < count; b++) {
        s.point({0, 0, 0, -1, b < big ? 1.0f : 0.0f});
        int q[4];
        const float corner[4][2] = {{-0.5f, -0.5f}, {0.5f, -0.5f}, {0.5f, 0.5f}, {-0.5f, 0.5f}};
        for (int c = 0; c < 4; c++)
            q[c] = m.point({corner[c][0], corner[c][1], 0, 0, 0, 1, corner[c][0] + 0.5f, corner[c][1] + 0.5f,
                            float(b), float(b), 1});
        m.polygon({q[0], q[1], q[2], q[3]}, "mat_bubble_ta");
    }
    return m.write(model) && s.write(skeleton);
}

// A ring of soft light with four notches, facing the viewer, about one unit across.
bool writeTarget(std::string const& model, std::string const& skeleton) {
    const int segs = 48;
    CmodelWriter m, s;
    skinnedAttribs(m);
    s.attrib("pos", 3);
    s.attrib("parentMat", 1);
    s.point({0, 0, 0, -1});
    for (int i = 0; i <= segs; i++) {
        double a = 2 * pi * i / segs;
        double notch = std::fabs(std::sin(2 * a)) < 0.08 ? 0.06 : 0.0;
        for (double r : {0.34 + notch, 0.46})
            m.point({float(r * std::cos(a)), float(r * std::sin(a)), 0, 0, 0, 1, float(i) / segs,
                     float(r < 0.4 ? 0 : 1), 0, 0, 1});
    }
    for (int i = 0; i < segs; i++)
        m.polygon({2 * i, 2 * i + 2, 2 * i + 3, 2 * i + 1}, "mat_target_ta");
    return m.write(model) && s.write(skeleton);
}

// The backdrop's quad: x -0.5..0.5 (the joint mirrors it), y 0..1 up from the base; u runs
// against x so the picture reads the right way round after the mirror.
bool writeBackdrop(std::string const& model, std::string const& skeleton) {
    CmodelWriter m, s;
    skinnedAttribs(m);
    s.attrib("pos", 3);
    s.attrib("parentMat", 1);
    s.point({0, 0, 0, -1});
    int a = m.point({-0.5f, 0, 0, 0, 0, 1, 1, 0, 0, 0, 1});
    int b = m.point({0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    int c = m.point({0.5f, 1, 0, 0, 0, 1, 0, 1, 0, 0, 1});
    int d = m.point({-0.5f, 1, 0, 0, 0, 1, 1, 1, 0, 0, 1});
    m.polygon({a, d, c, b}, "mat_backdrop_oa");
    return m.write(model) && s.write(skeleton);
}

// ---- pictures ----
using Pixels = std::vector<uint8_t>;

// Silhouettes of weed rising from a range of the backdrop: tapering fronds that lean and
// curl a little, rooted on the range's ridge. 0 outside any frond, 1 inside.
double frondCover(double u, double v, int layer, int width) {
    Crng rng{0xF20DULL + static_cast<uint64_t>(layer)};
    double cover = 0.0, pixel = 1.0 / width;
    for (int f = 0; f < 14 * layer; f++) {
        double x0 = rng.next(), len = rng.range(0.12, 0.3) * (0.6 + 0.3 * layer);
        double halfWidth = rng.range(0.004, 0.009), lean = rng.range(-0.05, 0.05),
               phase = rng.range(0, 2 * pi);
        double base = 0.22 + 0.16 * (2 - layer) +
                      0.12 * fractalNoise(x0 * (3 + 2 * layer) * 2, layer * 7.0, 40 + layer, 4, 0) - 0.02;
        double t = (v - base) / len;
        if (t < 0 || t > 1) continue;
        double centre = x0 + lean * t * t + 0.012 * std::sin(t * 5 + phase) * t;
        double half = halfWidth * std::pow(1 - t, 0.6) + 0.3 * pixel;
        cover = std::max(cover, smoothStep(half + pixel, half - pixel, std::fabs(u - centre)));
    }
    return cover;
}

// Deep water: a soft vertical gradient, light from above, and three ranges of distant
// rocks and weed fading into the haze.
bool writeBackdropPicture(std::string const& path) {
    const int w = 512, h = 256;
    Pixels px(w * h * 3);
    const double deep[3] = {0.05, 0.17, 0.25}, shallow[3] = {0.30, 0.64, 0.72};
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            double u = double(x) / w, v = double(y) / (h - 1);
            double g = std::pow(v, 1.3);
            double c[3];
            for (int k = 0; k < 3; k++)
                c[k] = mix(deep[k], shallow[k], g);
            // Shafts of light from the surface, fading with depth.
            double shaft = 0.5 + 0.5 * fractalNoise(u * 9 + v * 1.5, 0.5, 5, 3, 0);
            shaft = std::pow(shaft, 3.0) * smoothStep(0.35, 1.0, v) * 0.22;
            for (int k = 0; k < 3; k++)
                c[k] += shaft * (0.6 + 0.2 * k);
            // Distant ranges: far and pale first, nearer and darker over them.
            for (int layer = 0; layer < 3; layer++) {
                double top = 0.22 + 0.16 * (2 - layer) +
                             0.12 * fractalNoise(u * (3 + 2 * layer) * 2, layer * 7.0, 40 + layer, 4, 0);
                double cover = smoothStep(top + 0.006, top - 0.006, v);
                if (layer > 0) cover = std::max(cover, frondCover(u, v, layer, w));
                double haze = 0.55 - 0.2 * layer;
                double tone[3];
                for (int k = 0; k < 3; k++)
                    tone[k] = mix(deep[k] * (0.6 + 0.1 * layer), mix(deep[k], shallow[k], 0.45), haze);
                for (int k = 0; k < 3; k++)
                    c[k] = mix(c[k], tone[k], cover * (0.75 + 0.08 * layer));
            }
            double grain = 0.012 * latticeNoise(x * 0.7, y * 0.7, 9, 0);
            for (int k = 0; k < 3; k++)
                px[(y * w + x) * 3 + k] = byte(c[k] + grain);
        }
    return writeSgi(path, w, h, 3, px);
}

// Tiling rock surface: mottled grey-brown, dark cracks, a touch of moss.
bool writeRockPicture(std::string const& path) {
    const int n = 256;
    Pixels px(n * n * 3);
    for (int y = 0; y < n; y++)
        for (int x = 0; x < n; x++) {
            double u = double(x) / n * 8, v = double(y) / n * 8;
            double base = 0.5 + 0.5 * fractalNoise(u, v, 301, 5, 8);
            double crack = std::fabs(fractalNoise(u * 0.75, v * 0.75, 302, 3, 6));
            double moss = smoothStep(0.6, 0.85, 0.5 + 0.5 * fractalNoise(u * 0.5, v * 0.5, 303, 3, 4));
            double speck = latticeNoise(x * 0.8, y * 0.8, 304, int(n * 0.8)) > 0.82 ? 0.85 : 1.0;
            double shade = (0.32 + 0.3 * base) * (0.87 + 0.13 * smoothStep(0.0, 0.05, crack)) * speck;
            double c[3] = {shade * 1.08, shade * 1.0, shade * 0.9};
            c[0] = mix(c[0], shade * 0.75, moss * 0.45);
            c[1] = mix(c[1], shade * 0.95, moss * 0.45);
            c[2] = mix(c[2], shade * 0.6, moss * 0.45);
            for (int k = 0; k < 3; k++)
                px[(y * n + x) * 3 + k] = byte(c[k]);
        }
    return writeSgi(path, n, n, 3, px);
}

// Tiling sand: warm, with ripples and scattered darker grains.
bool writeSandPicture(std::string const& path) {
    const int n = 256;
    Pixels px(n * n * 3);
    for (int y = 0; y < n; y++)
        for (int x = 0; x < n; x++) {
            double u = double(x) / n * 8, v = double(y) / n * 8;
            double ripple =
                0.5 + 0.5 * std::sin((u + 0.6 * fractalNoise(u * 0.5, v * 0.5, 401, 2, 4)) * pi * 2);
            double grain = 0.5 + 0.5 * latticeNoise(double(x % n), double(y % n), 403, n);
            double shade = 0.72 + 0.1 * ripple + 0.12 * (grain - 0.5) + 0.05 * fractalNoise(u, v, 404, 3, 8);
            double c[3] = {shade * 0.95, shade * 0.84, shade * 0.64};
            for (int k = 0; k < 3; k++)
                px[(y * n + x) * 3 + k] = byte(c[k]);
        }
    return writeSgi(path, n, n, 3, px);
}

// Algae: tufts of green.
bool writeAlgaePicture(std::string const& path) {
    return writeAlgaePatch(path, 5, 311, 0.22, 0.55, 0.18);
}

// A bubble: a bright thin rim, a clear middle and a highlight up and to the left.
bool writeBubblePicture(std::string const& path) {
    const int n = 64;
    Pixels px(n * n * 4);
    for (int y = 0; y < n; y++)
        for (int x = 0; x < n; x++) {
            double dx = (x + 0.5) / n * 2 - 1, dy = (y + 0.5) / n * 2 - 1, r = std::sqrt(dx * dx + dy * dy);
            double rim = std::exp(-std::pow((r - 0.88) / 0.07, 2));
            double body = r < 0.92 ? 0.12 : 0.0;
            double hl = std::exp(-(std::pow(dx + 0.35, 2) + std::pow(dy - 0.4, 2)) / 0.02);
            double a = std::clamp(rim * 0.8 + body + hl, 0.0, 1.0) * smoothStep(1.0, 0.95, r);
            uint8_t* p = &px[(y * n + x) * 4];
            p[0] = byte(0.8 + 0.2 * hl);
            p[1] = byte(0.92 + 0.08 * hl);
            p[2] = 255;
            p[3] = byte(a);
        }
    return writeSgi(path, n, n, 4, px);
}

// The marker's glow across the ring (v 0 inside, 1 outside), brightest in the middle.
bool writeGlowPicture(std::string const& path) {
    const int w = 8, h = 32;
    Pixels px(w * h * 4);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            double v = (y + 0.5) / h, a = std::exp(-std::pow((v - 0.5) / 0.22, 2));
            uint8_t* p = &px[(y * w + x) * 4];
            p[0] = 255;
            p[1] = byte(0.85);
            p[2] = byte(0.45);
            p[3] = byte(a);
        }
    return writeSgi(path, w, h, 4, px);
}

// ---- data arrays ----
// Light on the sand: a tiling web of bright lines over a floor of 0.5.
bool writeCaustic(std::string const& path) {
    const int n = 128, cells = 6;
    CdataImage image;
    image.init(n, n, 1, 1, 4);
    if (!image.floatData) return false;
    image.setName("caustic");
    Crng rng{0xCA057ULL};
    double px[cells][cells], py[cells][cells];
    for (int j = 0; j < cells; j++)
        for (int i = 0; i < cells; i++) {
            px[j][i] = i + rng.range(0.15, 0.85);
            py[j][i] = j + rng.range(0.15, 0.85);
        }
    for (int y = 0; y < n; y++)
        for (int x = 0; x < n; x++) {
            double u = double(x) / n * cells, v = double(y) / n * cells, f1 = 9, f2 = 9;
            for (int dj = -1; dj <= 1; dj++)
                for (int di = -1; di <= 1; di++) {
                    int ci = int(std::floor(u)) + di, cj = int(std::floor(v)) + dj;
                    int wi = ((ci % cells) + cells) % cells, wj = ((cj % cells) + cells) % cells;
                    double fx = px[wj][wi] + (ci - wi), fy = py[wj][wi] + (cj - wj);
                    double d = std::hypot(u - fx, v - fy);
                    if (d < f1) {
                        f2 = f1;
                        f1 = d;
                    } else if (d < f2) {
                        f2 = d;
                    }
                }
            double line = std::exp(-(f2 - f1) * (f2 - f1) * 60.0);
            image.floatData[y * n + x] = float(0.38 + 0.4 * line);
        }
    makeParentFolders(path);
    return image.save(path.c_str()) == 0;
}

std::vector<CgeneratedFile> const& outputs() {
    static const std::vector<CgeneratedFile> list = {
        {"species/backdrop_image/arrays/backdrop.sgi", writeBackdropPicture},
        {"species/backdrop_image/backdrop.geo",
         [](std::string const& p) {
             return writeBackdrop(p, p.substr(0, p.size() - 12) + "backdrop_skel.geo");
         }},
        {"species/backdrop_image/backdrop_skel.geo", [](std::string const&) { return true; }},
        {"species/rock_boulder/rock_boulder.geo",
         [](std::string const& p) { return writeRock(rockShapes[0], p); }},
        {"species/rock_slab/rock_slab.geo", [](std::string const& p) { return writeRock(rockShapes[1], p); }},
        {"species/rock_spire/rock_spire.geo",
         [](std::string const& p) { return writeRock(rockShapes[2], p); }},
        {"species/rock_boulder/arrays/rock.sgi", writeRockPicture},
        {"species/rock_slab/arrays/rock.sgi", writeRockPicture},
        {"species/rock_spire/arrays/rock.sgi", writeRockPicture},
        {"species/sand_floor/sand_floor.geo", writeFloor},
        {"species/sand_floor/arrays/sand.sgi", writeSandPicture},
        {"species/kelp/kelp.geo",
         [](std::string const& p) {
             return writePlant(plantKinds[0], sandHeight, p, p.substr(0, p.size() - 4) + "_skel.tree");
         }},
        {"species/kelp/kelp_skel.tree", [](std::string const&) { return true; }},
        {"species/kelp/arrays/leaf.sgi",
         [](std::string const& p) { return writeLeafPicture(p, 0.62, 0.70, 0.28, 501); }},
        {"species/sea_grass/sea_grass.geo",
         [](std::string const& p) {
             return writePlant(plantKinds[1], sandHeight, p, p.substr(0, p.size() - 4) + "_skel.tree");
         }},
        {"species/sea_grass/sea_grass_skel.tree", [](std::string const&) { return true; }},
        {"species/sea_grass/arrays/leaf.sgi",
         [](std::string const& p) { return writeLeafPicture(p, 0.35, 0.75, 0.35, 502); }},
        {"species/bubbles/bubbles.geo",
         [](std::string const& p) { return writeBubbles(p, p.substr(0, p.size() - 4) + "_skel.geo"); }},
        {"species/bubbles/bubbles_skel.geo", [](std::string const&) { return true; }},
        {"species/bubbles/arrays/bubble.sgi", writeBubblePicture},
        {"species/target/target.geo",
         [](std::string const& p) { return writeTarget(p, p.substr(0, p.size() - 4) + "_skel.geo"); }},
        {"species/target/target_skel.geo", [](std::string const&) { return true; }},
        {"species/target/arrays/glow.sgi", writeGlowPicture},
        {"species/algae/algae.geo", writeAlgae},
        {"species/algae/arrays/algae.sgi", writeAlgaePicture},
        {"tanks/wabi_sabi/avoidSpheres.geo", writeAvoidSpheres},
        {"tanks/wabi_sabi/heightField.image", writeHeightField},
        {"tanks/wabi_sabi/levelSet.voxl", writeLevelSet},
        {"tanks/wabi_sabi/fishFinFlutter.chan",
         [](std::string const& p) {
             return writeLoopChan(p, "fishFinFlutter", 256, 3, 1.0, 1.0, 0xF1F1ULL);
         }},
        {"tanks/wabi_sabi/camShakeChan.chan",
         [](std::string const& p) {
             return writeLoopChan(p, "camShakeChan", 501, 3, 50.0, 0.03, 0x5A4EULL);
         }},
        {"global/arrays/caustic.image", writeCaustic},
        {"tanks/wabi_sabi/crabExtras.image", writeCrabExtras},
    };
    return list;
}

} // namespace

std::vector<std::string> const& sceneryFiles() {
    static std::vector<std::string> const files = generatedFileNames(outputs());
    return files;
}

int writeScenery(std::string const& root) {
    return writeGeneratedFiles(outputs(), root, "scenery");
}
