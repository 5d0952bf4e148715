#include "crabModel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

#include "modelWriter.h"
#include "vec3.h"

namespace {
constexpr double pi = 3.14159265358979;

using V = V3;

// ---- the skeleton ----
constexpr double kHipX = 0.22, kHipY = -0.06, kAnchorX = 0.32;
constexpr double kLegZ[4] = {0.11, 0.04, -0.04, -0.11};
constexpr double kAnchorSpread = 2.2;
constexpr double kArmSegment = 0.18;
// The carapace's half width and depth, and its height above and below the centre.
constexpr double kShellX = 0.26, kShellZ = 0.19, kShellTop = 0.12, kShellBottom = 0.06;

// Texture regions: the carapace seen from above on the left, the limbs along u on the right.
constexpr double kLimbU0 = 0.52, kLimbU1 = 0.98;
constexpr int kTexW = 256, kTexH = 128;

std::vector<CcrabJointRest> buildRest() {
    std::vector<CcrabJointRest> j(39);
    j[0] = {0, 0, 0, -1};
    j[1] = {0, 0, 0, -1};
    for (int i = 0; i < 8; i++) {
        double s = i < 4 ? 1.0 : -1.0, z = kLegZ[i % 4];
        j[static_cast<size_t>(2 + 2 * i)] = {s * kHipX, kHipY, z, 1};
        j[static_cast<size_t>(3 + 2 * i)] = {s * kHipX + 2 * kCrabLegSegment, kHipY, z, -1};
        j[static_cast<size_t>(18 + i)] = {s * kAnchorX, -kCrabBodyHeight, z * kAnchorSpread, 0};
    }
    j[26] = {0.05, -0.04, 0.2, 0};
    j[27] = {0.05 + 2 * kArmSegment, -0.04, 0.2, -1};
    j[28] = {0.1, -0.15, 0.32, 0};
    j[29] = {0, 0.05, -0.1, 1};
    j[30] = {0.05 + 2 * kArmSegment, -0.04, 0.2, 27};
    j[31] = {-0.2, -0.02, 0.16, 1};
    j[32] = {-0.26, 0.0, 0.33, 31};
    j[33] = {-0.22, 0.03, 0.4, 32};
    j[34] = {0.14, 0.0, 0.42, 33};
    j[35] = {0.06, 0.06, 0.17, 0};
    j[36] = {-0.06, 0.06, 0.17, 0};
    j[37] = {0.025, -0.03, 0.2, 1};
    j[38] = {-0.025, -0.03, 0.2, 1};
    return j;
}

V rest(int joint) {
    CcrabJointRest const& r = crabSkeletonRest()[static_cast<size_t>(joint)];
    return {r.x, r.y, r.z};
}

// ---- the skin ----
// The lighting points, all carried by the body and lying on the floor: the centre, then
// right, left, front and back.
const V kLightPoints[5] = {
    {0, -0.25, 0}, {0.3, -0.25, 0}, {-0.3, -0.25, 0}, {0, -0.25, 0.3}, {0, -0.25, -0.3}};

void crabAttribs(CmodelWriter& m) {
    m.attrib("pos", 3);
    m.attrib("N", 3);
    m.attrib("uv", 2);
    m.attrib("Cd", 3);
    m.attrib("mat", 2);
    m.attrib("blend", 1);
    m.attrib("lightpoint", 2);
    m.attrib("lightblend", 1);
    m.attrib("caustic", 1);
}

// The pair of lighting points around p seen from above: the centre and the one on p's side.
void lightPair(V p, int& a, int& b, double& w) {
    a = 0;
    if (std::fabs(p.x) >= std::fabs(p.z))
        b = p.x >= 0 ? 1 : 2, w = std::min(std::fabs(p.x) / 0.3, 1.0);
    else
        b = p.z >= 0 ? 3 : 4, w = std::min(std::fabs(p.z) / 0.3, 1.0);
}

// One skin point carried by joint (rigidly), with shade as its base colour and the caustics
// falling on it by caustic. where is its place seen from above, for the lighting.
int skin(CmodelWriter& m, V p, V n, double u, double v, double shade, int joint, double caustic, V where) {
    int a, b;
    double w;
    lightPair(where, a, b, w);
    float s = static_cast<float>(shade);
    return m.point({float(p.x), float(p.y), float(p.z), float(n.x), float(n.y), float(n.z), float(u),
                    float(v), s, s, s, float(joint), float(joint), 1.0f, float(a), float(b), float(w),
                    float(caustic)});
}

// A tapered tube from a to b around its axis, carried by joint; u runs along it from u0 to
// u1 of the limb region.
void tube(CmodelWriter& m, V a, V b, double r0, double r1, int joint, double shade, V where, double u0 = 0.0,
          double u1 = 1.0, int sides = 6, int rings = 3) {
    V axis = unit(b - a);
    V helper = std::fabs(axis.y) < 0.9 ? V{0, 1, 0} : V{1, 0, 0};
    V e1 = unit(cross(axis, helper)), e2 = cross(axis, e1);
    int first = m.points();
    for (int r = 0; r <= rings; r++) {
        double t = double(r) / rings, radius = r0 + (r1 - r0) * t;
        V c = a + (b - a) * t;
        for (int k = 0; k <= sides; k++) {
            double phi = 2 * pi * k / sides;
            V n = e1 * std::cos(phi) + e2 * std::sin(phi);
            double u = kLimbU0 + (kLimbU1 - kLimbU0) * (u0 + (u1 - u0) * t);
            double lit = 0.8 + 0.2 * std::max(0.0, n.y);
            skin(m, c + n * radius, n, u, double(k) / sides, shade * lit, joint, std::max(0.0, n.y) * 0.6,
                 where);
        }
    }
    for (int r = 0; r < rings; r++)
        for (int k = 0; k < sides; k++) {
            int p = first + r * (sides + 1) + k, q = p + sides + 1;
            m.polygon({p, p + 1, q + 1, q}, "mat_shell_oa");
        }
    // Closed ends.
    for (int end = 0; end < 2; end++) {
        V c = end ? b : a;
        int centre = skin(m, c, axis * (end ? 1.0 : -1.0), kLimbU0 + (kLimbU1 - kLimbU0) * (end ? u1 : u0),
                          0.5, shade, joint, 0.0, where);
        int ring = first + (end ? rings : 0) * (sides + 1);
        for (int k = 0; k < sides; k++) {
            if (end)
                m.polygon({centre, ring + k, ring + k + 1}, "mat_shell_oa");
            else
                m.polygon({centre, ring + k + 1, ring + k}, "mat_shell_oa");
        }
    }
}

// A squashed sphere of radii r around c, carried by joint.
void blob(CmodelWriter& m, V c, V r, int joint, double shade, double u, V where, int around = 10,
          int across = 6) {
    int first = m.points();
    for (int i = 0; i <= across; i++) {
        double lat = -pi / 2 + pi * i / across;
        for (int j = 0; j <= around; j++) {
            double lon = 2 * pi * j / around;
            V n{std::cos(lat) * std::cos(lon), std::sin(lat), std::cos(lat) * std::sin(lon)};
            V p = c + V{n.x * r.x, n.y * r.y, n.z * r.z};
            V normal = unit(V{n.x / r.x, n.y / r.y, n.z / r.z});
            skin(m, p, normal, kLimbU0 + (kLimbU1 - kLimbU0) * u, double(j) / around,
                 shade * (0.8 + 0.2 * std::max(0.0, normal.y)), joint, std::max(0.0, normal.y) * 0.6, where);
        }
    }
    for (int i = 0; i < across; i++)
        for (int j = 0; j < around; j++) {
            int p = first + i * (around + 1) + j, q = p + around + 1;
            m.polygon({p, q, q + 1, p + 1}, "mat_shell_oa");
        }
}

// The carapace: a dome over a flatter underside, squarish from above and cut a little
// straighter at the front, textured by its top-down view.
void carapace(CmodelWriter& m) {
    const int rings = 10, segs = 24;
    int first = m.points();
    for (int i = 0; i <= rings; i++) {
        double theta = pi * i / rings, st = std::sin(theta), ct = std::cos(theta);
        for (int j = 0; j <= segs; j++) {
            double phi = 2 * pi * j / segs, c = std::cos(phi), s = std::sin(phi);
            double square = 1.0 / std::pow(std::pow(std::fabs(c), 3) + std::pow(std::fabs(s), 3), 1.0 / 3.0);
            double front = s > 0 ? 1.0 - 0.12 * s * s : 1.0;
            double x = kShellX * st * c * square, z = kShellZ * st * s * square * front;
            double y = ct >= 0 ? kShellTop * ct : kShellBottom * ct;
            // The back rises into a ridge; the front edge curls down a little.
            y += ct >= 0 ? 0.02 * st * std::max(0.0, -s) : 0.0;
            V p{x, y + 0.01, z};
            V n = unit(V{x / (kShellX * kShellX), y / std::pow(ct >= 0 ? kShellTop : kShellBottom, 2),
                         z / (kShellZ * kShellZ)});
            double u = 0.25 + 0.24 * x / kShellX, v = 0.5 + 0.48 * z / kShellZ;
            double shade = ct >= 0 ? 0.95 + 0.05 * ct : 0.55;
            int q = skin(m, p, n, u, v, shade, 1, ct > 0 ? 0.4 + 0.6 * ct : 0.0, p);
            if (i == rings / 2 && j % 4 == 0) m.pointGroup("extremity", q);
        }
    }
    for (int i = 0; i < rings; i++)
        for (int j = 0; j < segs; j++) {
            int p = first + i * (segs + 1) + j, q = p + segs + 1;
            m.polygon({p, p + 1, q + 1, q}, "mat_shell_oa");
        }
}

bool writeModel(std::string const& model, std::string const& skeleton, std::string const& lights) {
    CmodelWriter m;
    crabAttribs(m);
    carapace(m);
    double L = kCrabLegSegment;
    for (int i = 0; i < 8; i++) {
        int upper = 2 + 2 * i, lower = upper + 1;
        V hip = rest(upper), foot = rest(lower);
        V where = rest(18 + i) * 0.6;
        double front = i % 4 == 0 ? 1.05 : 0.95 - 0.04 * (i % 4);
        tube(m, hip, hip + V{L, 0, 0}, 0.028 * front, 0.022 * front, upper, 0.92, where, 0.0, 0.45);
        tube(m, foot - V{L, 0, 0}, foot, 0.022 * front, 0.005, lower, 0.92, where, 0.45, 1.0);
    }
    // The feeding arm and its little claw.
    V mouth = rest(26), hand = rest(27);
    tube(m, mouth, mouth + V{kArmSegment, 0, 0}, 0.014, 0.012, 26, 0.9, mouth, 0.0, 0.4, 5, 2);
    tube(m, hand - V{kArmSegment, 0, 0}, hand, 0.012, 0.009, 27, 0.9, mouth, 0.4, 0.8, 5, 2);
    tube(m, hand, hand + V{0.045, 0, -0.007}, 0.007, 0.002, 27, 0.95, mouth, 0.8, 1.0, 4, 1);
    tube(m, hand, hand + V{0.045, 0, 0.007}, 0.007, 0.002, 30, 0.95, mouth, 0.8, 1.0, 4, 1);
    // The big claw: its arm, the palm and the two fingers, which reach across the front.
    V shoulder = rest(31), wrist = rest(32);
    V claw{-0.2, 0.0, 0.3};
    tube(m, shoulder, wrist, 0.032, 0.036, 31, 0.95, claw, 0.0, 0.3);
    blob(m, {-0.24, 0.0, 0.39}, {0.075, 0.055, 0.065}, 32, 1.0, 0.45, claw);
    tube(m, {-0.19, -0.018, 0.41}, {0.12, -0.012, 0.42}, 0.032, 0.008, 32, 1.05, claw, 0.55, 1.0, 6, 4);
    tube(m, {-0.2, 0.035, 0.405}, rest(34) + V{0, 0.018, 0}, 0.026, 0.006, 33, 1.05, claw, 0.55, 1.0, 6, 4);
    // Eyes on stalks, dark balls at their tops.
    for (int e = 0; e < 2; e++) {
        V base = rest(35 + e);
        tube(m, base, base + V{0, 0.09, 0}, 0.009, 0.007, 35 + e, 0.9, base, 0.1, 0.3, 5, 1);
        blob(m, base + V{0, 0.1, 0}, {0.018, 0.02, 0.018}, 35 + e, 0.12, 0.2, base, 8, 5);
    }
    // The mouth parts: small plates hanging in front, seen from both sides.
    for (int k = 0; k < 2; k++) {
        V c = rest(37 + k);
        double s = k ? -1.0 : 1.0;
        int p[4];
        V corners[4] = {c + V{-0.012, 0, 0.004}, c + V{0.012, 0, 0.004}, c + V{0.012 * s, -0.045, 0.01},
                        c + V{-0.012 * s, -0.045, 0.01}};
        for (int q = 0; q < 4; q++)
            p[q] = skin(m, corners[q], {0, 0, 1}, kLimbU0 + 0.3 * (kLimbU1 - kLimbU0), q < 2 ? 0.2 : 0.8, 0.8,
                        37 + k, 0.0, c);
        m.polygon({p[0], p[1], p[2], p[3]}, "mat_shell_oa");
        m.polygon({p[3], p[2], p[1], p[0]}, "mat_shell_oa");
    }

    CmodelWriter skel;
    skel.attrib("pos", 3);
    skel.attrib("parentMat", 1);
    for (CcrabJointRest const& r : crabSkeletonRest())
        skel.point({float(r.x), float(r.y), float(r.z), float(r.parent)});
    auto group = [&skel](char const* name, int from, int to) {
        for (int j = from; j <= to; j++)
            skel.pointGroup(name, j);
    };
    group("body", 0, 1);
    group("legs", 2, 25);
    group("claw", 26, 34);
    group("head", 35, 38);

    CmodelWriter light;
    light.attrib("pos", 3);
    light.attrib("mat", 2);
    light.attrib("blend", 1);
    for (V const& p : kLightPoints)
        light.point({float(p.x), float(p.y), float(p.z), 1, 1, 1});
    return m.write(model) && skel.write(skeleton) && light.write(lights);
}

// ---- the shell pictures ----

float mixc(float a, float b, double t) {
    return static_cast<float>(a + (b - a) * t);
}

bool writeShell(CcrabLook const& k, std::string const& path) {
    std::vector<uint8_t> px(static_cast<size_t>(kTexW) * kTexH * 3);
    for (int y = 0; y < kTexH; y++)
        for (int x = 0; x < kTexW; x++) {
            double s = (x + 0.5) / kTexW, v = (y + 0.5) / kTexH;
            float rgb[3];
            if (s < 0.5) {
                // The carapace from above: mottled, a darker rim, grooves into an H.
                double cx = (s - 0.25) / 0.24, cz = (v - 0.5) / 0.48;
                double r = std::sqrt(cx * cx + cz * cz);
                double mottle = smoothStep(0.0, 0.6,
                                           latticeNoise(s * 40, v * 20, k.seed, 0) +
                                               0.2 * latticeNoise(s * 90, v * 45, k.seed + 1, 0));
                double groove = std::exp(-std::pow((std::fabs(cx) - 0.35) / 0.05, 2)) *
                                    smoothStep(0.7, 0.2, std::fabs(cz)) +
                                std::exp(-std::pow(cz / 0.05, 2)) * smoothStep(0.4, 0.2, std::fabs(cx));
                double rim = smoothStep(0.75, 1.0, r);
                double grain = 0.9 + 0.1 * latticeNoise(x * 0.9, y * 0.9, k.seed + 5, 0);
                for (int c = 0; c < 3; c++)
                    rgb[c] = static_cast<float>(mixc(k.shell[c], k.pattern[c], mottle * 0.7) *
                                                (1.0 - 0.3 * groove - 0.25 * rim) * grain);
            } else {
                // Limbs: banded at the joints, paler towards the tips.
                double u = std::clamp((s - kLimbU0) / (kLimbU1 - kLimbU0), 0.0, 1.0);
                double band = 0.85 + 0.15 * std::cos(u * pi * 9);
                double tip = smoothStep(0.7, 1.0, u);
                double grain = 0.92 + 0.08 * latticeNoise(x * 1.3, y * 0.7, k.seed + 9, 0);
                for (int c = 0; c < 3; c++)
                    rgb[c] = static_cast<float>(mixc(k.limbs[c], k.tips[c], tip) * band * grain);
            }
            uint8_t* p = &px[(static_cast<size_t>(y) * kTexW + x) * 3];
            for (int c = 0; c < 3; c++)
                p[c] = byte(rgb[c]);
        }
    return writeSgi(path, kTexW, kTexH, 3, px);
}

// ---- the shadows ----

// A soft dark disc: alpha from 1 in the middle to 0 at the edge.
bool writeShadowPicture(std::string const& path) {
    const int n = 64;
    std::vector<uint8_t> px(static_cast<size_t>(n) * n * 4);
    for (int y = 0; y < n; y++)
        for (int x = 0; x < n; x++) {
            double dx = (x + 0.5) / n * 2 - 1, dy = (y + 0.5) / n * 2 - 1, r = std::sqrt(dx * dx + dy * dy);
            uint8_t* p = &px[(static_cast<size_t>(y) * n + x) * 4];
            p[0] = p[1] = p[2] = 0;
            p[3] = byte(smoothStep(1.0, 0.35, r));
        }
    return writeSgi(path, n, n, 4, px);
}

void shadowAttribs(CmodelWriter& m, bool alpha) {
    m.attrib("pos", 3);
    m.attrib("N", 3);
    m.attrib("uv", 2);
    if (alpha) m.attrib("Cd", 4);
    m.attrib("mat", 2);
    m.attrib("blend", 1);
}

// The crab's shadow: the body's disc carried by joint 0, a soft blot at each foot carried by
// the foot's joint, and a strip from the body to each foot blended from one to the other.
bool writeCrabShadow(std::string const& model, std::string const& skeleton) {
    CmodelWriter m, s;
    shadowAttribs(m, false);
    auto point = [&m](V p, double u, double v, int a, int b, double w) {
        return m.point(
            {float(p.x), float(p.y), float(p.z), 0, 1, 0, float(u), float(v), float(a), float(b), float(w)});
    };
    const int segs = 16;
    int centre = point({0, 0, 0}, 0.5, 0.5, 0, 0, 1);
    for (int j = 0; j <= segs; j++) {
        double a = 2 * pi * j / segs;
        point({0.3 * std::cos(a), 0, 0.24 * std::sin(a)}, 0.5 + 0.5 * std::cos(a), 0.5 + 0.5 * std::sin(a), 0,
              0, 1);
    }
    for (int j = 0; j < segs; j++)
        m.polygon({centre, centre + 2 + j, centre + 1 + j}, "mat_shadow_ta");
    s.attrib("pos", 3);
    s.attrib("parentMat", 1);
    s.point({0, 0, 0, -1});
    for (int leg = 0; leg < 8; leg++) {
        V foot = rest(18 + leg);
        foot.y = 0;
        s.point({float(foot.x), 0, float(foot.z), -1});
        int joint = leg + 1;
        // The foot's blot.
        double r = 0.035;
        int a = point(foot + V{-r, 0, -r}, 0, 0, joint, joint, 1),
            b = point(foot + V{r, 0, -r}, 1, 0, joint, joint, 1);
        int c = point(foot + V{r, 0, r}, 1, 1, joint, joint, 1),
            d = point(foot + V{-r, 0, r}, 0, 1, joint, joint, 1);
        m.polygon({a, d, c, b}, "mat_shadow_ta");
        // The leg's strip, from under the hip out to the foot.
        V hip = rest(2 + 2 * leg);
        hip.y = 0;
        V along = unit(foot - hip), across = V{-along.z, 0, along.x} * 0.02;
        const int steps = 4;
        int first = m.points();
        for (int k = 0; k <= steps; k++) {
            double t = double(k) / steps;
            V c2 = hip + (foot - hip) * t;
            point(c2 - across, 0, 0.5, 0, joint, 1 - t);
            point(c2 + across, 1, 0.5, 0, joint, 1 - t);
        }
        for (int k = 0; k < steps; k++) {
            int p = first + 2 * k;
            m.polygon({p, p + 2, p + 3, p + 1}, "mat_shadow_ta");
        }
    }
    return m.write(model) && s.write(skeleton);
}

// The fish's shadow: an oval from the head (joint 0 at z 0) to past the tail (z 1), its
// joints on the spine's first five points (one ninth of a body length apart, the head first);
// the part behind the last joint is carried by it.
bool writeFishShadowModel(std::string const& model, std::string const& skeleton) {
    CmodelWriter m, s;
    shadowAttribs(m, true);
    const int rings = 10, across = 4;
    const double head = -0.08, tail = 1.0, halfWidth = 0.24;
    int first = m.points();
    for (int r = 0; r <= rings; r++) {
        double t = double(r) / rings, z = head + (tail - head) * t;
        double w = halfWidth * std::pow(std::sin(pi * std::clamp(t * 0.95 + 0.03, 0.0, 1.0)), 0.7) + 0.01;
        double f = std::clamp(z * 9.0, 0.0, 4.0);
        int a = std::min(static_cast<int>(f), 3), b = a + 1;
        double weightA = z * 9.0 >= 4.0 ? 0.0 : 1.0 - (f - a);
        for (int c = 0; c <= across; c++) {
            double x = w * (2.0 * c / across - 1.0);
            m.point({float(x), 0, float(z), 0, 1, 0, float(0.5 + x / (2 * halfWidth + 0.02)), float(t), 0, 0,
                     0, 1, float(a), float(b), float(weightA)});
        }
    }
    for (int r = 0; r < rings; r++)
        for (int c = 0; c < across; c++) {
            int p = first + r * (across + 1) + c, q = p + across + 1;
            m.polygon({p, q, q + 1, p + 1}, "mat_shadow_ta");
        }
    s.attrib("pos", 3);
    s.attrib("parentMat", 1);
    for (int j = 0; j < 5; j++)
        s.point({0, 0, float(j / 9.0), -1});
    return m.write(model) && s.write(skeleton);
}

std::vector<CgeneratedFile> const& crabOutputs() {
    static const std::vector<CgeneratedFile> list = [] {
        std::vector<CgeneratedFile> out;
        out.push_back({"species/crab/crab.geo", [](std::string const& p) {
                           std::string dir = p.substr(0, p.size() - 8);
                           return writeModel(p, dir + "crab_skel.geo", dir + "crab_lights.geo");
                       }});
        out.push_back({"species/crab/crab_skel.geo", [](std::string const&) { return true; }});
        out.push_back({"species/crab/crab_lights.geo", [](std::string const&) { return true; }});
        for (CcrabLook const& k : crabLooks())
            out.push_back({std::string("species/crab/arrays/") + k.file,
                           [k](std::string const& p) { return writeShell(k, p); }});
        out.push_back({"species/std_crab_shadow/std_crab_shadow.geo", [](std::string const& p) {
                           return writeCrabShadow(p, p.substr(0, p.size() - 4) + "_skel.geo");
                       }});
        out.push_back(
            {"species/std_crab_shadow/std_crab_shadow_skel.geo", [](std::string const&) { return true; }});
        out.push_back({"species/std_crab_shadow/arrays/shadow.sgi", writeShadowPicture});
        return out;
    }();
    return list;
}

std::vector<CgeneratedFile> const& fishShadowOutputs() {
    static const std::vector<CgeneratedFile> list = {
        {"species/std_fish_shadow/std_fish_shadow.geo",
         [](std::string const& p) {
             return writeFishShadowModel(p, p.substr(0, p.size() - 4) + "_skel.geo");
         }},
        {"species/std_fish_shadow/std_fish_shadow_skel.geo", [](std::string const&) { return true; }},
        {"species/std_fish_shadow/arrays/shadow.sgi", writeShadowPicture},
    };
    return list;
}
} // namespace

std::vector<CcrabJointRest> const& crabSkeletonRest() {
    static const std::vector<CcrabJointRest> joints = buildRest();
    return joints;
}

std::vector<CcrabLook> const& crabLooks() {
    // file, shell, pattern, limbs, tips, seed
    static const std::vector<CcrabLook> looks = {
        {"shell.sgi",
         {0.55f, 0.3f, 0.22f},
         {0.85f, 0.55f, 0.3f},
         {0.75f, 0.42f, 0.3f},
         {0.98f, 0.9f, 0.78f},
         61},
        {"shell_sand.sgi",
         {0.62f, 0.58f, 0.45f},
         {0.42f, 0.36f, 0.28f},
         {0.7f, 0.64f, 0.5f},
         {0.95f, 0.93f, 0.85f},
         67},
    };
    return looks;
}

std::vector<std::string> const& crabFiles() {
    static std::vector<std::string> const files = generatedFileNames(crabOutputs());
    return files;
}

int writeCrab(std::string const& root) {
    return writeGeneratedFiles(crabOutputs(), root, "crab");
}

std::vector<std::string> const& fishShadowFiles() {
    static std::vector<std::string> const files = generatedFileNames(fishShadowOutputs());
    return files;
}

int writeFishShadow(std::string const& root) {
    return writeGeneratedFiles(fishShadowOutputs(), root, "fish shadow");
}
