#include "sceneryParts.h"

#include <numbers>
#include <vector>

#include "data/dataArray.h"
#include "modelWriter.h"

namespace {

constexpr double pi = std::numbers::pi;

// The blade's half width at t (0 root .. 1 tip) of its level j of n.
double bladeWidth(PlantKind const& k, double t, int j, int n) {
    switch (k.shape) {
    case PlantShape::ribbon:
        return k.width * (j == n - 1 ? 0.1 : 1.0 - 0.6 * t) * (0.7 + 0.3 * std::sin(t * pi));
    case PlantShape::leaf:
        // A short stalk, then a blade that swells and closes to a point.
        return k.width * (t < 0.2 ? 0.12 : 0.08 + 0.92 * std::pow(std::sin(pi * (t - 0.2) / 0.8), 0.8));
    case PlantShape::stem:
        return k.width;
    }
    return k.width;
}

// Two small leaves on either side of the stem at c, pointing along dir and lying across it,
// both faces, each point bound to joint.
void stemLeaves(CmodelWriter& skin, V3 c, V3 dir, double t, double size, int joint) {
    for (int side = -1; side <= 1; side += 2) {
        V3 along = unit(V3{dir.x * side, 0.45, dir.z * side});
        V3 across = unit(cross(along, V3{0, 1, 0})) * (0.38 * size);
        V3 tip = c + along * size, middle = c + along * (0.45 * size);
        V3 corners[4] = {c, middle + across, tip, middle - across};
        float const u[4] = {0.5f, 0.3f, 0.5f, 0.7f};
        int q[4];
        for (int i = 0; i < 4; i++)
            q[i] = skin.point({float(corners[i].x), float(corners[i].y), float(corners[i].z), 0, 1, 0, u[i],
                               float(t), float(joint), float(joint), 1.0f});
        skin.polygon({q[0], q[1], q[2], q[3]}, "mat_leaf_oa");
        skin.polygon({q[0], q[3], q[2], q[1]}, "mat_leaf_oa");
    }
}

} // namespace

// The clump's skeleton and its skin (a ribbon per blade, both faces, each level bound to its
// joint). Every joint sits at the origin with no parent and turns about its normal through
// the origin, so the skin is authored in place and a level's swing is its angle times its
// distance from that axis: the amplitude is divided by that distance, and the root level
// does not move, so the blades stay planted.
bool writePlant(PlantKind const& k, GroundHeight const& ground, std::string const& model,
                std::string const& skeleton) {
    CmodelWriter skin, skel;
    skin.attrib("pos", 3);
    skin.attrib("N", 3);
    skin.attrib("uv", 2);
    skin.attrib("mat", 2);
    skin.attrib("blend", 1);
    skel.attrib("pos", 3);
    skel.attrib("N", 3);
    skel.attrib("parentMat", 1);
    skel.attrib("noiseStart", 1);
    skel.attrib("noiseAmp", 1);
    skel.attrib("baseAngle", 1);
    skel.attrib("misc_cmd", 1);
    Crng rng{k.seed};
    for (int b = 0; b < k.blades; b++) {
        double heading = rng.range(0, 2 * pi), lean = rng.range(k.leanLo, k.leanHi);
        double rootR = rng.range(0, k.spread), rootA = rng.range(0, 2 * pi);
        double tall = k.height * rng.range(0.65, 1.0), phase = rng.range(0, 40);
        V3 root{k.x + rootR * std::cos(rootA), 0, k.z + rootR * std::sin(rootA)};
        if (k.rowDepth >= 0) root = {k.x + 2 * rootR - k.spread, 0, k.z + k.rowDepth * std::sin(rootA)};
        root.y = ground(root.x, root.z) - 0.03;
        V3 out{std::cos(heading), 0, std::sin(heading)}; // the way the blade leans
        V3 axis{-out.z, 0, out.x};                       // it sways about this
        int first = skin.points();
        for (int j = 0; j < k.joints; j++) {
            double t = double(j) / (k.joints - 1);
            double bend = lean * t * t * tall;
            V3 c{root.x + out.x * bend, root.y + tall * t, root.z + out.z * bend};
            V3 arm = cross(axis, c);
            double reach = std::max(length(arm), 0.5);
            double swing = 2.0 * k.sway * tall * t * t; // how far this level travels
            int joint = skel.point({0, 0, 0, float(axis.x), float(axis.y), float(axis.z), -1,
                                    float(phase - 0.4 * j), float(swing / reach), 0});
            double w = bladeWidth(k, t, j, k.joints);
            for (int side = -1; side <= 1; side += 2) {
                V3 p = c + axis * (w * side);
                skin.point({float(p.x), float(p.y), float(p.z), float(out.x), 0.15f, float(out.z),
                            float(side < 0 ? 0.0 : 1.0), float(t), float(joint), float(joint), 1.0f});
            }
        }
        for (int j = 0; j + 1 < k.joints; j++) {
            int a = first + 2 * j;
            skin.polygon({a, a + 1, a + 3, a + 2}, "mat_leaf_oa");
            skin.polygon({a, a + 2, a + 3, a + 1}, "mat_leaf_oa");
        }
        if (k.shape != PlantShape::stem) continue;
        // Leaf pairs up the stem, each pair across the one below.
        int joint0 = skel.points() - k.joints;
        for (int j = 1; j < k.joints; j++) {
            double t = double(j) / (k.joints - 1);
            double bend = lean * t * t * tall;
            V3 c{root.x + out.x * bend, root.y + tall * t, root.z + out.z * bend};
            stemLeaves(skin, c, j % 2 ? axis : out, t, k.width * 11.0 * (1.1 - 0.5 * t), joint0 + j);
        }
    }
    // The clump's sway can be scaled from scripts through the species' "swayScale".
    std::vector<std::string> misc(skel.points());
    misc[0] = "-mkFlt swayScale 1";
    skel.pointTexts("misc_cmd", misc);
    return skin.write(model) && skel.writeTree(skeleton);
}

bool writeLeafPicture(std::string const& path, double const base[3], double const tipColour[3],
                      uint32_t seed) {
    const int w = 64, h = 256;
    std::vector<uint8_t> px(w * h * 4);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            double u = (x + 0.5) / w, v = (y + 0.5) / h;
            double across = std::fabs(u - 0.5) * 2;
            double vein = std::exp(-across * across * 300) * 0.25;
            double mottle = 0.85 + 0.15 * fractalNoise(u * 4, v * 16, seed, 3, 0);
            double shade = (0.65 + 0.35 * (1 - across * across)) * mottle + vein;
            double tip = 0.75 + 0.25 * v; // paler towards the light
            double edge = smoothStep(1.0, 0.85, across);
            double turn = smoothStep(0.3, 0.95, v);
            uint8_t* p = &px[(y * w + x) * 4];
            for (int c = 0; c < 3; c++)
                p[c] = byte(mix(base[c], tipColour[c], turn) * shade * tip);
            p[3] = byte(edge);
        }
    return writeSgi(path, w, h, 4, px);
}

bool writeLeafPicture(std::string const& path, double r, double g, double b, uint32_t seed) {
    double const colour[3] = {r, g, b};
    return writeLeafPicture(path, colour, colour, seed);
}

bool writeLoopChan(std::string const& path, char const* name, int samples, int chans, double period,
                   double amp, uint64_t seed) {
    CdataChan chan;
    chan.init(samples, 1, 1, chans, 4);
    if (!chan.floatData) return false;
    chan.setDimensionSpace(0, 0.0f, float(period));
    chan.setName(name);
    Crng rng{seed};
    for (int c = 0; c < chans; c++) {
        double a[5], ph[5];
        for (int k = 0; k < 5; k++) {
            a[k] = rng.range(0.4, 1.0) / (k + 1);
            ph[k] = rng.range(0, 2 * pi);
        }
        for (int i = 0; i < samples; i++) {
            double x = double(i) / (samples - 1), v = 0;
            for (int k = 0; k < 5; k++)
                v += a[k] * std::sin(2 * pi * (k + 1) * x + ph[k]);
            chan.floatData[i * chans + c] = float(amp * v / 2.2);
        }
        chan.floatData[(samples - 1) * chans + c] = chan.floatData[c];
    }
    makeParentFolders(path);
    return chan.save(path.c_str()) == 0;
}

bool writeFloorGrid(std::string const& path, FloorRect const& r, GroundHeight const& ground, double uvScale,
                    char const* material) {
    const int nx = 48, nz = 28;
    CmodelWriter m;
    m.attrib("pos", 3);
    m.attrib("N", 3);
    m.attrib("uv", 2);
    for (int k = 0; k <= nz; k++)
        for (int i = 0; i <= nx; i++) {
            double x = mix(r.x0, r.x1, double(i) / nx), z = mix(r.z0, r.z1, double(k) / nz);
            double e = 0.02;
            V3 n = unit({ground(x - e, z) - ground(x + e, z), 2 * e, ground(x, z - e) - ground(x, z + e)});
            m.point({float(x), float(ground(x, z)), float(z), float(n.x), float(n.y), float(n.z),
                     float(x * uvScale), float(z * uvScale)});
        }
    for (int k = 0; k < nz; k++)
        for (int i = 0; i < nx; i++) {
            int a = k * (nx + 1) + i;
            m.polygon({a, a + nx + 1, a + nx + 2, a + 1}, material);
        }
    return m.write(path);
}

bool writeFloorHeightField(std::string const& path, FloorRect const& r, GroundHeight const& ground) {
    const int w = 64, h = 40;
    CdataImage image;
    image.init(w, h, 1, 2, 4);
    if (!image.floatData) return false;
    image.setDimensionSpace(0, float(r.x0), float(r.x1));
    image.setDimensionSpace(1, float(r.z0), float(r.z1));
    image.setName("heightField");
    for (int k = 0; k < h; k++)
        for (int i = 0; i < w; i++) {
            double x = mix(r.x0, r.x1, double(i) / (w - 1)), z = mix(r.z0, r.z1, double(k) / (h - 1));
            double edge = std::min({x - r.x0, r.x1 - x, z - r.z0, r.z1 - z});
            image.floatData[(k * w + i) * 2] = float(ground(x, z));
            image.floatData[(k * w + i) * 2 + 1] = float(smoothStep(0.0, 0.4, edge));
        }
    makeParentFolders(path);
    return image.save(path.c_str()) == 0;
}

bool writeAlgaePatch(std::string const& path, double tufts, uint32_t seed, double r, double g, double b) {
    const int n = 64;
    std::vector<uint8_t> px(n * n * 4);
    for (int y = 0; y < n; y++)
        for (int x = 0; x < n; x++) {
            double u = (x + 0.5) / n, v = (y + 0.5) / n;
            double edge = std::min({u, 1 - u, v, 1 - v}) * 2;
            double tuft = fractalNoise(u * tufts, v * tufts, seed, 3, 0);
            double cover = smoothStep(0.0, 0.5, edge) + 0.5 * tuft;
            double shade = 0.75 + 0.25 * fractalNoise(u * 12, v * 12, seed + 1, 2, 0);
            uint8_t* p = &px[(y * n + x) * 4];
            p[0] = byte(r * shade), p[1] = byte(g * shade), p[2] = byte(b * shade);
            p[3] = byte(smoothStep(0.35, 0.55, cover));
        }
    return writeSgi(path, n, n, 4, px);
}

bool writeCrabGround(std::string const& path, CrabGroundCell const& cell) {
    const double x0 = -3.4, x1 = 3.4, z0 = -2.4, z1 = 1.2;
    const int w = 136, h = 72;
    CdataImage image;
    image.init(w, h, 1, 2, 4);
    if (!image.floatData) return false;
    image.setDimensionSpace(0, float(x0), float(x1));
    image.setDimensionSpace(1, float(z0), float(z1));
    image.setName("crabExtras");
    for (int k = 0; k < h; k++)
        for (int i = 0; i < w; i++) {
            double walk = 0, light = 0;
            cell(mix(x0, x1, double(i) / (w - 1)), mix(z0, z1, double(k) / (h - 1)), walk, light);
            image.floatData[(k * w + i) * 2] = float(walk);
            image.floatData[(k * w + i) * 2 + 1] = float(std::clamp(light, 0.3, 1.1));
        }
    makeParentFolders(path);
    return image.save(path.c_str()) == 0;
}

bool writeTankLevelSet(std::string const& path, std::function<double(V3 const& p)> const& level) {
    const int res[3] = {40, 28, 32};
    const double lo[3] = {-3.6, -1.8, -2.6}, hi[3] = {3.6, 2.1, 1.4};
    CdataVolume v;
    v.init(res[0], res[1], res[2], 1, 4);
    if (!v.floatData) return false;
    for (int d = 0; d < 3; d++)
        v.setDimensionSpace(d, float(lo[d]), float(hi[d]));
    v.setName("levelSet");
    float* out = v.floatData;
    for (int k = 0; k < res[2]; k++)
        for (int j = 0; j < res[1]; j++)
            for (int i = 0; i < res[0]; i++)
                *out++ = float(level({mix(lo[0], hi[0], double(i) / (res[0] - 1)),
                                      mix(lo[1], hi[1], double(j) / (res[1] - 1)),
                                      mix(lo[2], hi[2], double(k) / (res[2] - 1))}));
    makeParentFolders(path);
    return v.saveVox(path.c_str(), 1.0f, 0, 0.0f, 1.0f) == 0;
}
