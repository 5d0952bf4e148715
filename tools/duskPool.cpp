// The dusk pool's models and data arrays. The tank has the default tank's extent (water from
// x -3.4 to 3.4, y about -1.6 to 1.9, z -2.4 to 1.2, the backdrop at z -2.5); everything is
// authored in place, plants bound to joints at the tank's origin.
#include "duskPool.h"

#include <array>
#include <numbers>

#include "data/dataArray.h"
#include "modelWriter.h"

namespace {

constexpr double pi = std::numbers::pi;
constexpr double floorX0 = -4.2, floorX1 = 4.2, floorZ0 = -3.0, floorZ1 = 1.8;
// Around the driftwood's branches, and samples along each stretch between control points.
constexpr int kBarkSegments = 10, kBranchSamples = 8;

// ---- the driftwood ----
struct BranchShape {
    std::vector<V3> points; // control points, root first
    double rootRadius, tipRadius;
};

std::vector<BranchShape> branchShapes() {
    double rootY = duskSoilHeight(-3.3, -1.0) - 0.05;
    return {
        {{{-3.3, rootY, -1.0},
          {-2.4, -1.25, -1.25},
          {-1.4, -0.85, -1.45},
          {-0.5, -0.15, -1.7},
          {0.15, 0.55, -1.95}},
         0.17,
         0.05},
        {{{-1.45, -0.88, -1.44}, {-1.75, -0.3, -1.55}, {-1.65, 0.25, -1.75}, {-1.85, 0.7, -1.9}},
         0.075,
         0.025},
        {{{-0.55, -0.18, -1.68}, {0.1, -0.25, -1.45}, {0.75, -0.05, -1.35}, {1.15, 0.25, -1.5}}, 0.07, 0.025},
        {{{-2.4, -1.25, -1.25}, {-2.0, -1.45, -0.8}, {-1.7, -1.62, -0.55}}, 0.08, 0.04},
    };
}

V3 catmullRom(V3 a, V3 b, V3 c, V3 d, double t) {
    double t2 = t * t, t3 = t2 * t;
    return (b * 2.0 + (c - a) * t + (a * 2.0 - b * 5.0 + c * 4.0 - d) * t2 +
            (b * 3.0 - a - c * 3.0 + d) * t3) *
           0.5;
}

// A frame along a branch: centre, tangent, normal, binormal, radius and distance from the root.
struct Ring {
    V3 c, t, n, b;
    double radius, s;
};

std::vector<Ring> rings(std::vector<DuskBranchPoint> const& line) {
    std::vector<Ring> out(line.size());
    double s = 0;
    for (size_t i = 0; i < line.size(); i++) {
        size_t lo = i > 0 ? i - 1 : 0, hi = i + 1 < line.size() ? i + 1 : i;
        V3 t = unit(line[hi].p - line[lo].p);
        V3 n = i == 0 ? cross(t, V3{0, 1, 0}) : out[i - 1].n;
        if (length(n) < 0.1) n = cross(t, V3{1, 0, 0});
        n = unit(n - t * dot(n, t));
        if (i > 0) s += length(line[i].p - line[i - 1].p);
        out[i] = {line[i].p, t, n, cross(t, n), line[i].radius, s};
    }
    return out;
}

// The bark's radius at angle a around ring r of branch k: gnarled by noise.
double barkRadius(Ring const& r, int k, double a) {
    return r.radius * (1.0 + 0.18 * fractalNoise(a / (2 * pi) * 8.0, r.s * 3.0, 710 + k, 2, 8));
}

V3 around(Ring const& r, double a) {
    return r.n * std::cos(a) + r.b * std::sin(a);
}

bool writeDriftwood(std::string const& path) {
    CmodelWriter m;
    m.attrib("pos", 3);
    m.attrib("N", 3);
    m.attrib("uv", 2);
    auto const& wood = duskDriftwood();
    for (size_t k = 0; k < wood.size(); k++) {
        std::vector<Ring> ring = rings(wood[k]);
        int first = m.points();
        for (size_t i = 0; i < ring.size(); i++)
            for (int j = 0; j <= kBarkSegments; j++) {
                double a = 2 * pi * j / kBarkSegments;
                V3 d = around(ring[i], a);
                double radius = barkRadius(ring[i], int(k), a) * (i + 1 == ring.size() ? 0.5 : 1.0);
                V3 p = ring[i].c + d * radius;
                m.point({float(p.x), float(p.y), float(p.z), float(d.x), float(d.y), float(d.z),
                         float(2.0 * j / kBarkSegments), float(ring[i].s * 1.4)});
            }
        auto at = [first](size_t i, int j) { return first + int(i) * (kBarkSegments + 1) + j; };
        for (size_t i = 0; i + 1 < ring.size(); i++)
            for (int j = 0; j < kBarkSegments; j++)
                m.polygon({at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)}, "mat_wood_oa");
        // The broken-off tip.
        Ring const& last = ring.back();
        V3 tip = last.c + last.t * (0.6 * last.radius);
        int cap = m.point({float(tip.x), float(tip.y), float(tip.z), float(last.t.x), float(last.t.y),
                           float(last.t.z), 0.5f, float(last.s * 1.4 + 0.1)});
        for (int j = 0; j < kBarkSegments; j++)
            m.polygon({at(ring.size() - 1, j), cap, at(ring.size() - 1, j + 1)}, "mat_wood_oa");
    }
    return m.write(path);
}

// Algae along the top of the trunk, facing up and towards the viewer: each point a place to
// peck (its normal the bark's, broadcastDP and receiveDP how squarely a fish must face it).
bool writeWoodAlgae(std::string const& path) {
    std::vector<Ring> ring = rings(duskDriftwood()[0]);
    const int cols = 8;
    const size_t firstRing = ring.size() * 2 / 5, rows = 7;
    const V3 facing = unit(V3{0, 0.6, 0.8});
    const double lift = 0.015, halfArc = 0.6;
    CmodelWriter m;
    m.attrib("pos", 3);
    m.attrib("N", 3);
    m.attrib("uv", 2);
    m.attrib("broadcastDP", 1);
    m.attrib("receiveDP", 1);
    for (size_t i = 0; i <= rows; i++) {
        Ring const& r = ring[firstRing + i];
        double best = std::atan2(dot(r.b, facing), dot(r.n, facing));
        for (int j = 0; j <= cols; j++) {
            double a = best + halfArc * (2.0 * j / cols - 1.0);
            V3 d = around(r, a);
            V3 p = r.c + d * (barkRadius(r, 0, a) + lift);
            m.point({float(p.x), float(p.y), float(p.z), float(d.x), float(d.y), float(d.z), float(j) / cols,
                     float(i) / rows, 0.5f, 0.8f});
        }
    }
    auto at = [](size_t i, int j) { return int(i) * (cols + 1) + j; };
    for (size_t i = 0; i < rows; i++)
        for (int j = 0; j < cols; j++)
            m.polygon({at(i, j), at(i, j + 1), at(i + 1, j + 1), at(i + 1, j)}, "mat_algae_oa");
    return m.write(path);
}

// ---- the stones ----
V3 stonePoint(DuskStone const& s, double theta, double phi) {
    double bump = 1.0 + 0.05 * fractalNoise(phi / (2 * pi) * 6.0, theta / pi * 3.0, s.seed, 3, 6);
    double st = std::sin(theta), ct = std::cos(theta);
    V3 d{st * std::cos(phi) * s.sx * bump, ct * s.sy * bump, st * std::sin(phi) * s.sz * bump};
    if (d.y < 0) d.y *= 0.5;
    double c = std::cos(s.turn), n = std::sin(s.turn);
    return {s.cx + c * d.x - n * d.z, duskStoneBase(s) + d.y, s.cz + n * d.x + c * d.z};
}

bool writeStones(std::string const& path) {
    const int rows = 10, segs = 18;
    CmodelWriter m;
    m.attrib("pos", 3);
    m.attrib("N", 3);
    m.attrib("uv", 2);
    for (DuskStone const& s : duskStones()) {
        auto p = [&s](int i, int j) { return stonePoint(s, pi * i / rows, 2 * pi * j / segs); };
        V3 centre{s.cx, duskStoneBase(s), s.cz};
        int first = m.points();
        for (int i = 0; i <= rows; i++)
            for (int j = 0; j <= segs; j++) {
                V3 q = p(i, j);
                V3 n = unit(q - centre);
                if (i > 0 && i < rows) {
                    V3 side = unit(cross(p(i, j + 1) - p(i, j - 1), p(i + 1, j) - p(i - 1, j)));
                    if (dot(side, n) > 0) n = side;
                }
                m.point({float(q.x), float(q.y), float(q.z), float(n.x), float(n.y), float(n.z),
                         float(2.0 * j / segs), float(double(i) / rows)});
            }
        auto at = [first](int i, int j) { return first + i * (segs + 1) + j; };
        for (int i = 0; i < rows; i++)
            for (int j = 0; j < segs; j++)
                m.polygon({at(i, j), at(i, j + 1), at(i + 1, j + 1), at(i + 1, j)}, "mat_stone_oa");
    }
    return m.write(path);
}

// ---- the soil, its height field and the crab's ground ----
bool writeSoil(std::string const& path) {
    return writeFloorGrid(path, {floorX0, floorX1, floorZ0, floorZ1}, duskSoilHeight, 0.6, "mat_soil_oa");
}

// The soil's height, and how strongly shadows fall on it.
bool writeHeightField(std::string const& path) {
    return writeFloorHeightField(path, {floorX0, floorX1, floorZ0, floorZ1}, duskSoilHeight);
}

// How far (x, z) lies inside a stone's footprint: below 1 under it.
double stoneFootprint(DuskStone const& s, double x, double z) {
    double c = std::cos(s.turn), n = std::sin(s.turn), dx = x - s.cx, dz = z - s.cz;
    double u = (c * dx + n * dz) / s.sx, v = (-n * dx + c * dz) / s.sz;
    return std::sqrt(u * u + v * v);
}

// Channel 1: where the crab may walk (open soil in view, off the stones and the wood where it
// lies on the ground); channel 2: the light on the floor, dimmer in their shade.
bool writeCrabExtras(std::string const& path) {
    return writeCrabGround(path, [](double x, double z, double& walk, double& light) {
        walk = smoothStep(3.0, 2.6, std::fabs(x)) * smoothStep(-1.2, -0.9, z) * smoothStep(0.9, 0.6, z);
        double shade = 1.0;
        for (DuskStone const& s : duskStones()) {
            double d = stoneFootprint(s, x, z);
            walk *= smoothStep(1.25, 1.6, d);
            shade *= 1.0 - 0.4 * smoothStep(1.8, 0.9, d);
        }
        for (auto const& branch : duskDriftwood())
            for (DuskBranchPoint const& b : branch) {
                if (b.p.y > duskSoilHeight(b.p.x, b.p.z) + 0.35) continue;
                double d = std::hypot(x - b.p.x, z - b.p.z);
                walk *= smoothStep(b.radius + 0.15, b.radius + 0.45, d);
                shade *= 1.0 - 0.08 * smoothStep(b.radius + 0.6, b.radius, d);
            }
        light = shade * (0.72 + 0.12 * (z + 2.4) / 3.6) + 0.07 * fractalNoise(x * 0.9, z * 0.9, 93, 3, 0);
    });
}

// Distance from p to the segment ab, and how far along it the nearest point lies.
double segmentDistance(V3 p, V3 a, V3 b, double& along) {
    V3 ab = b - a;
    along = std::clamp(dot(p - a, ab) / std::max(dot(ab, ab), 1e-12), 0.0, 1.0);
    return length(p - (a + ab * along));
}

// Signed distance to the soil, the stones and the wood (positive in the water), capped by the
// water's walls.
bool writeLevelSet(std::string const& path) {
    return writeTankLevelSet(path, [](V3 const& p) {
        double level = p.y - duskSoilHeight(p.x, p.z);
        level = std::min({level, 3.4 - std::fabs(p.x), 1.9 - p.y, p.z + 2.4, 1.2 - p.z});
        for (DuskStone const& s : duskStones()) {
            double dy = (p.y - duskStoneBase(s)) / s.sy;
            double flat = stoneFootprint(s, p.x, p.z);
            double scale = std::min({s.sx, s.sy, s.sz});
            level = std::min(level, (std::sqrt(flat * flat + dy * dy) - 1.0) * scale);
        }
        for (auto const& branch : duskDriftwood())
            for (size_t b = 0; b + 1 < branch.size(); b++) {
                double along = 0;
                double d = segmentDistance(p, branch[b].p, branch[b + 1].p, along);
                level = std::min(level, d - mix(branch[b].radius, branch[b + 1].radius, along));
            }
        return level;
    });
}

// Spheres over the stones and along the wood, for the fish to steer round.
bool writeAvoidSpheres(std::string const& path) {
    CmodelWriter m;
    m.attrib("pos", 3);
    m.attrib("pscale", 1);
    for (DuskStone const& s : duskStones())
        m.point({float(s.cx), float(duskStoneBase(s)), float(s.cz), float(std::max(s.sx, s.sz) * 1.15)});
    for (auto const& branch : duskDriftwood()) {
        double since = 1e9;
        for (size_t b = 0; b < branch.size(); b++) {
            if (b > 0) since += length(branch[b].p - branch[b - 1].p);
            if (since < 0.25 && b + 1 < branch.size()) continue;
            since = 0;
            m.point({float(branch[b].p.x), float(branch[b].p.y), float(branch[b].p.z),
                     float(std::max(branch[b].radius + 0.1, 0.15))});
        }
    }
    return m.write(path);
}

// ---- the plants ----
const PlantKind plantKinds[] = {
    // A row of tall, narrow grass along the back.
    {"tall_grass", 0.3, -2.1, 34, 9, 2.3, 0.05, 3.0, 0.09, 301, PlantShape::ribbon, 0.02, 0.12, 0.18},
    // Broad leaves arching out of one crown.
    {"sword_plant", 1.95, -0.95, 11, 8, 0.95, 0.11, 0.08, 0.05, 302, PlantShape::leaf, 0.35, 0.85},
    // Thin stems with pairs of leaves, reddening towards their tips.
    {"red_stem", 2.55, -1.75, 10, 9, 1.3, 0.013, 0.25, 0.06, 303, PlantShape::stem, 0.02, 0.12},
};

CgeneratedFile plantModel(PlantKind const& k) {
    std::string name = k.name;
    return {"species/" + name + "/" + name + ".geo", [k](std::string const& p) {
                return writePlant(k, duskSoilHeight, p, p.substr(0, p.size() - 4) + "_skel.tree");
            }};
}

std::vector<CgeneratedFile> const& outputs() {
    static const std::vector<CgeneratedFile> list = [] {
        std::vector<CgeneratedFile> out = {
            {"species/dusk_soil/dusk_soil.geo", writeSoil},
            {"species/dusk_soil/arrays/soil.sgi", writeSoilPicture},
            {"species/driftwood/driftwood.geo", writeDriftwood},
            {"species/driftwood/arrays/bark.sgi", writeBarkPicture},
            {"species/river_stones/river_stones.geo", writeStones},
            {"species/river_stones/arrays/stone.sgi", writeStonePicture},
            {"species/wood_algae/wood_algae.geo", writeWoodAlgae},
            {"species/wood_algae/arrays/algae.sgi", writeWoodAlgaePicture},
        };
        // Each plant's leaf colours, at the base and at the tip.
        struct Leaf {
            std::array<double, 3> base, tip;
            uint32_t seed;
        } const leaves[] = {{{0.42, 0.62, 0.25}, {0.42, 0.62, 0.25}, 511},
                            {{0.22, 0.5, 0.2}, {0.36, 0.66, 0.3}, 512},
                            {{0.35, 0.55, 0.2}, {0.88, 0.26, 0.18}, 513}};
        for (size_t i = 0; i < std::size(plantKinds); i++) {
            std::string dir = std::string("species/") + plantKinds[i].name + "/";
            out.push_back(plantModel(plantKinds[i]));
            out.push_back({dir + plantKinds[i].name + "_skel.tree", [](std::string const&) { return true; }});
            Leaf leaf = leaves[i];
            out.push_back({dir + "arrays/leaf.sgi", [leaf](std::string const& p) {
                               return writeLeafPicture(p, leaf.base.data(), leaf.tip.data(), leaf.seed);
                           }});
        }
        std::vector<CgeneratedFile> tank = {
            {"tanks/dusk_pool/backdrop.sgi", writeDuskBackdropPicture},
            {"tanks/dusk_pool/avoidSpheres.geo", writeAvoidSpheres},
            {"tanks/dusk_pool/heightField.image", writeHeightField},
            {"tanks/dusk_pool/levelSet.voxl", writeLevelSet},
            {"tanks/dusk_pool/crabExtras.image", writeCrabExtras},
            {"tanks/dusk_pool/fishFinFlutter.chan",
             [](std::string const& p) {
                 return writeLoopChan(p, "fishFinFlutter", 256, 3, 1.0, 1.0, 0xD1F1ULL);
             }},
            {"tanks/dusk_pool/camShakeChan.chan",
             [](std::string const& p) {
                 return writeLoopChan(p, "camShakeChan", 501, 3, 50.0, 0.02, 0xD5AEULL);
             }},
        };
        out.insert(out.end(), tank.begin(), tank.end());
        return out;
    }();
    return list;
}

} // namespace

double duskSoilHeight(double x, double z) {
    double terrace = 0.32 * smoothStep(-0.4, -2.2, z);
    double mound = 0.12 * std::exp(-((x + 2.2) * (x + 2.2) / 1.2 + (z + 1.4) * (z + 1.4) / 0.5));
    double rough =
        0.035 * fractalNoise(x * 0.5 + 3, z * 0.5, 81, 3, 0) + 0.008 * fractalNoise(x * 4, z * 4, 82, 2, 0);
    return -1.6 + terrace + mound + rough;
}

std::vector<DuskStone> const& duskStones() {
    static const std::vector<DuskStone> stones = {
        {1.75, 0.25, 0.34, 0.2, 0.27, 0.4, 601},   {2.3, -0.2, 0.26, 0.17, 0.22, -0.7, 602},
        {1.25, 0.6, 0.18, 0.11, 0.15, 1.2, 603},   {2.65, 0.45, 0.15, 0.09, 0.13, 0.3, 604},
        {-2.45, 0.35, 0.22, 0.13, 0.19, 0.9, 605},
    };
    return stones;
}

double duskStoneBase(DuskStone const& s) {
    return duskSoilHeight(s.cx, s.cz) + s.sy * 0.25;
}

std::vector<std::vector<DuskBranchPoint>> const& duskDriftwood() {
    static const std::vector<std::vector<DuskBranchPoint>> wood = [] {
        std::vector<std::vector<DuskBranchPoint>> out;
        for (BranchShape const& b : branchShapes()) {
            std::vector<V3> const& c = b.points;
            size_t n = c.size();
            std::vector<DuskBranchPoint> line;
            for (size_t k = 0; k + 1 < n; k++)
                for (int i = 0; i < kBranchSamples || (k + 2 == n && i == kBranchSamples); i++) {
                    V3 p = catmullRom(c[k > 0 ? k - 1 : 0], c[k], c[k + 1], c[k + 2 < n ? k + 2 : n - 1],
                                      double(i) / kBranchSamples);
                    line.push_back({p, 0});
                }
            for (size_t i = 0; i < line.size(); i++)
                line[i].radius = mix(b.rootRadius, b.tipRadius, std::pow(double(i) / (line.size() - 1), 0.8));
            out.push_back(line);
        }
        return out;
    }();
    return wood;
}

std::vector<std::string> const& duskPoolFiles() {
    static std::vector<std::string> const files = generatedFileNames(outputs());
    return files;
}

int writeDuskPool(std::string const& root) {
    return writeGeneratedFiles(outputs(), root, "dusk pool");
}
