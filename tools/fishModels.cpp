#include "fishModels.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

#include "modelWriter.h"
#include "vec3.h"

namespace {
constexpr double pi = 3.14159265358979;
constexpr int kRings = 14, kSegments = 10;
constexpr double kSnoutZ = 0.53, kTailBaseZ = -0.42;
// The texture: the body's map on the left, the fins' on the right.
constexpr double kBodyU = 0.74, kFinU0 = 0.77, kFinU1 = 0.98;
constexpr int kTexW = 256, kTexH = 128;
// Spines of each cloth fin: the cells of its controllers.
constexpr int kFinColumns = 9;
// How deep in the body a cloth fin's links are anchored: a short root link would trail far
// behind a fish that moves more than its length in a frame.
constexpr double kAnchorDepth = 0.1;

using V = V3;

double signedPow(double v, double e) {
    return v < 0 ? -std::pow(-v, e) : std::pow(v, e);
}

// Two joints and the weight of the first.
struct Bind {
    int a, b;
    double w;
};
// The spine joints either side of z.
Bind spineBind(double z) {
    double f = std::clamp((0.5 - z) * 9.0, 0.0, 9.0);
    int j = std::min(static_cast<int>(f), 8);
    return {j, j + 1, 1.0 - (f - j)};
}
int nearestSpineJoint(double z) {
    return std::clamp(static_cast<int>(std::lround((0.5 - z) * 9.0)), 0, 9);
}

// The body's cross-section at u (0 snout .. 1 tail base): centre z, half heights above and
// below the spine and half width.
struct Section {
    double z, top, bottom, half;
};
Section section(FishLook const& k, double u) {
    double p = std::log(0.5) / std::log(k.peak);
    double swell = std::pow(std::sin(pi * std::pow(std::clamp(u, 0.0, 1.0), p)), 0.8);
    double nose = std::sqrt(std::min(u / 0.14, 1.0));
    double h = 0.5 * k.depth * nose * (k.peduncle + (1 - k.peduncle) * swell);
    double w = 0.5 * k.width * nose * (0.3 + 0.7 * swell);
    return {kSnoutZ + u * (kTailBaseZ - kSnoutZ), h * (1 + k.arch), h * (1 - k.arch), w};
}
// Skin point attributes, in order.
void skinAttribs(CmodelWriter& m) {
    m.attrib("pos", 3);
    m.attrib("N", 3);
    m.attrib("uv", 2);
    m.attrib("Cd", 3);
    m.attrib("mat", 2);
    m.attrib("blend", 1);
    m.attrib("lightpoint", 2);
    m.attrib("lightblend", 1);
    m.attrib("shade", 1);
    // Cloth: the link's spine, length and the base link's raised and folded angles.
    m.attrib("spineNum", 1);
    m.attrib("fin_dist", 1);
    m.attrib("fin_angles", 2);
    // How the light falls on a fish whose joints follow command strings: a soft wrap.
    m.attrib("lightingAdjust", 2);
}

int skinPoint(CmodelWriter& m, V p, V n, double u, double v, Bind b, double shade) {
    Bind light = spineBind(p.z);
    return m.point({float(p.x),
                    float(p.y),
                    float(p.z),
                    float(n.x),
                    float(n.y),
                    float(n.z),
                    float(u),
                    float(v),
                    1,
                    1,
                    1,
                    float(b.a),
                    float(b.b),
                    float(b.w),
                    float(light.a),
                    float(light.b),
                    float(1 - light.w),
                    float(shade),
                    0,
                    0,
                    0,
                    0,
                    0.45f,
                    0.25f});
}

// The body: a snout point, rings of sections and a closed tail base. Returns the quads (and
// the snout's and tail's triangles) so the caller can file them by view.
struct Body {
    std::vector<std::vector<int>> polygons;
    std::vector<V> faceNormals;
    std::vector<double> faceU;
};

Body makeBody(CmodelWriter& m, FishLook const& k) {
    struct Raw {
        V p;
        double u, v;
        Bind b;
    };
    std::vector<Raw> raw;
    // The mouth: the snout's lower half hangs on the jaw, the tip of its upper half on the lip.
    auto jawBind = [](double u, double y, double z) {
        Bind s = spineBind(z);
        if (u <= 0.12 && y < 0) return Bind{kLowerJaw, s.a, 1.0 - u / 0.12};
        if (u <= 0.06 && y > 0) return Bind{kUpperLip, s.a, 1.0 - u / 0.06};
        return s;
    };
    raw.push_back({{0, 0, kSnoutZ}, 0, 0.5, spineBind(kSnoutZ)});
    for (int r = 1; r <= kRings; r++) {
        double u = static_cast<double>(r) / kRings;
        Section s = section(k, u);
        for (int i = 0; i < kSegments; i++) {
            double t = -pi / 2 + 2 * pi * i / kSegments;
            double cy = std::sin(t);
            V p{s.half * signedPow(std::cos(t), 0.85), (cy > 0 ? s.top : s.bottom) * signedPow(cy, 0.85),
                s.z};
            double v = (p.y + s.bottom) / std::max(s.top + s.bottom, 1e-9);
            raw.push_back({p, u, v, jawBind(u, p.y, p.z)});
        }
    }
    raw.push_back({{0, 0, kTailBaseZ}, 1, 0.5, spineBind(kTailBaseZ)});
    int tail = static_cast<int>(raw.size()) - 1;
    auto ring = [](int r, int i) { return 1 + (r - 1) * kSegments + (i % kSegments); };

    Body body;
    for (int i = 0; i < kSegments; i++)
        body.polygons.push_back({0, ring(1, i + 1), ring(1, i)});
    for (int r = 1; r < kRings; r++)
        for (int i = 0; i < kSegments; i++)
            body.polygons.push_back({ring(r, i), ring(r, i + 1), ring(r + 1, i + 1), ring(r + 1, i)});
    for (int i = 0; i < kSegments; i++)
        body.polygons.push_back({tail, ring(kRings, i), ring(kRings, i + 1)});

    // Smooth normals from the faces, each face turned away from the spine.
    std::vector<V> normals(raw.size(), V{0, 0, 0});
    for (auto& poly : body.polygons) {
        V a = raw[poly[0]].p, b = raw[poly[1]].p, c = raw[poly[2]].p;
        V n = cross(b - a, c - a);
        if (poly.size() == 4) n = cross(c - a, raw[poly[3]].p - b);
        V centre{0, 0, 0};
        for (int q : poly)
            centre = centre + raw[q].p * (1.0 / poly.size());
        V outward = centre - V{0, 0, centre.z};
        if (poly[0] == 0) outward = V{0, 0, 1};
        if (poly[0] == tail) outward = V{0, 0, -1};
        if (dot(n, outward) < 0) {
            n = n * -1.0;
            std::reverse(poly.begin(), poly.end());
        }
        for (int q : poly)
            normals[q] = normals[q] + n;
        body.faceNormals.push_back(unit(n));
        body.faceU.push_back(raw[poly[0]].u);
    }
    int first = m.points();
    for (size_t i = 0; i < raw.size(); i++) {
        // Counter-shaded: the belly, which the light reaches least, is brighter.
        double shade = 0.42 + 0.3 * (1 - raw[i].v);
        skinPoint(m, raw[i].p, unit(normals[i]), kBodyU * raw[i].u, raw[i].v, raw[i].b, shade);
    }
    for (auto& poly : body.polygons)
        for (int& q : poly)
            q += first;
    return body;
}

// A fin hung as cloth: each column of the grid is a spine of links from an anchor inside the
// body (the root point plus anchor) out to the edge; the root link turns through fold radians
// between raised and folded (angles from forward towards up).
struct ClothFin {
    char const* name;
    V anchor;
    double fold;
};

// A fin: a grid of cols x rows quads, point (a, r) at place(a, r) (a across the fin, r from
// its root to its edge), bound by bind(a, r, point); with cloth, its columns hang as cloth.
void finSheet(CmodelWriter& m, int cols, int rows, std::function<V(double, double)> const& place,
              std::function<Bind(double, double, V)> const& bind, V normal, char const* group,
              ClothFin const* cloth = nullptr) {
    int first = m.points();
    for (int c = 0; c <= cols; c++)
        for (int r = 0; r <= rows; r++) {
            double a = static_cast<double>(c) / cols, t = static_cast<double>(r) / rows;
            V p = place(a, t);
            V n = normal;
            int q = skinPoint(m, p, normal, kFinU0 + (kFinU1 - kFinU0) * a, t, bind(a, t, p), 0.6);
            if (cloth == nullptr) continue;
            // The cloth reads N as the way back along the link (the base: out to its anchor).
            V back = r == 0 ? cloth->anchor : place(a, static_cast<double>(r - 1) / rows) - p;
            n = r == 0 ? back : unit(back);
            for (int k = 0; k < 3; k++)
                m.set(q, "N", k, float(k == 0 ? n.x : k == 1 ? n.y : n.z));
            m.set(q, "spineNum", 0, float(c));
            m.set(q, "fin_dist", 0, float(std::sqrt(dot(back, back))));
            if (r == 0) {
                // The fish holds its fins at about 0.6 of the way from folded to raised:
                // there they stand as modelled.
                double rest = std::atan2(-back.y, -back.z);
                m.set(q, "fin_angles", 0, float(rest - 0.4 * cloth->fold));
                m.set(q, "fin_angles", 1, float(rest + 0.6 * cloth->fold));
            }
            char level[64];
            if (r == 0)
                std::snprintf(level, sizeof level, "cloth_base_%s", cloth->name);
            else
                std::snprintf(level, sizeof level, "cloth_%s_%d", cloth->name, r);
            m.pointGroup(level, q);
        }
    for (int c = 0; c < cols; c++)
        for (int r = 0; r < rows; r++) {
            int p = first + c * (rows + 1) + r;
            m.polygon({p, p + rows + 1, p + rows + 2, p + 1}, group);
        }
}

Bind spineAt(double, double, V p) {
    return spineBind(p.z);
}

// The fin of the back or the belly (up +1 or -1) between fin[0] and fin[1] of the body.
void ridgeFin(CmodelWriter& m, FishLook const& k, double const fin[3], double up) {
    auto place = [&k, fin, up](double a, double t) {
        double u = fin[0] + (fin[1] - fin[0]) * a;
        Section s = section(k, u);
        double height = fin[2] * std::sqrt(std::min(a * 4, 1.0)) * std::pow(1 - a, 0.35);
        double root = (up > 0 ? s.top : s.bottom) * 0.96;
        return V{0, up * (root + height * t), s.z - 0.45 * fin[2] * t * t};
    };
    // Folding lays the fin back along the body.
    ClothFin cloth{up > 0 ? "dorsal" : "anal", V{0, -kAnchorDepth * up, 0}, up > 0 ? 0.8 : -0.8};
    finSheet(m, kFinColumns - 1, 1, place, spineAt, V{1, 0, 0}, "mat_body_t0", &cloth);
}

void caudalFin(CmodelWriter& m, FishLook const& k) {
    double base = 0.9 * section(k, 1.0).top;
    auto place = [&k, base](double a, double t) {
        double v = 2 * a - 1;
        double length = k.caudal * (1 - k.fork * (1 - std::pow(std::fabs(v), 1.5)));
        V root{0, v * base, kTailBaseZ + 0.03};
        V edge{0, v * k.caudal * 0.85, kTailBaseZ - length};
        return root + (edge - root) * t;
    };
    ClothFin cloth{"caudal", V{0, 0, kAnchorDepth}, 0.0};
    finSheet(m, kFinColumns - 1, 2, place, spineAt, V{1, 0, 0}, "mat_body_t0", &cloth);
}

// The paired fins of side s (+1 left): a fan from a root on the flank, the root bound to the
// spine, the rays to the fin's two joints.
void pairedFin(CmodelWriter& m, V root, double length, double lowAngle, double highAngle, double out,
               int jointA, int jointB, double s) {
    auto place = [=](double a, double t) {
        double phi = lowAngle + (highAngle - lowAngle) * a;
        V dir = unit(V{s * out, std::sin(phi), -std::cos(phi)});
        return root + dir * (length * (0.75 + 0.25 * std::sin(pi * a)) * t);
    };
    auto bind = [=](double a, double t, V p) {
        if (t == 0) return spineBind(p.z);
        return Bind{jointA, jointB, 1 - a};
    };
    finSheet(m, 4, 2, place, bind, V{s, 0, 0}, s > 0 ? "mat_body_t6" : "mat_body_t7");
}

// The command strings of a command rig, one per joint (empty: bound by name or not moved):
// each pectoral half flaps with its side's pectoral control and tilts with its own, each
// pelvic fin folds back as its side's pelvic control falls (angles in degrees over the
// control's 0..1).
std::vector<std::string> finCommands() {
    std::vector<std::string> commands(kFishJoints);
    char const* sides[2] = {"Left", "Right"};
    for (int side = 0; side < 2; side++) {
        int sign = side == 0 ? 1 : -1;
        std::string s = sides[side];
        int low = side == 0 ? kLowerLeftPec : kLowerRightPec;
        for (int half = 0; half < 2; half++) {
            char text[200];
            std::snprintf(
                text, sizeof text,
                "-mn pec%s%s -cid0 pec%s -dim 1 -amin 0 -amax %d -cid0 pec%s%sZ -dim 2 -amin %d -amax %d",
                half ? "Top" : "Bottom", s.c_str(), s.c_str(), 45 * sign, s.c_str(), half ? "Top" : "Bottom",
                -15 * sign, 15 * sign);
            commands[static_cast<size_t>(low + half)] = text;
        }
        int forward = side == 0 ? kPelvicLeftForward : kPelvicRightForward;
        for (int half = 0; half < 2; half++) {
            char text[200];
            std::snprintf(text, sizeof text, "-mn pelvic%s%s -cid0 pelvic%s -dim 0 -amin -60 -amax 0",
                          half ? "Back" : "Forward", s.c_str(), s.c_str());
            commands[static_cast<size_t>(forward + half)] = text;
        }
    }
    return commands;
}

struct Rig {
    V joint[kFishJoints];
    int parent[kFishJoints];
};

void eye(CmodelWriter& m, V centre, double radius, double s, int joint) {
    const int around = 8, across = 4;
    int first = m.points();
    for (int i = 0; i <= across; i++) {
        double lat = -pi / 2 + pi * i / across;
        for (int j = 0; j < around; j++) {
            double lon = 2 * pi * j / around;
            V n{s * std::cos(lat) * std::cos(lon), std::sin(lat), std::cos(lat) * std::sin(lon)};
            V p = centre + V{n.x * 0.55, n.y, n.z} * radius;
            skinPoint(m, p, n, 0.0, 0.0, Bind{joint, joint, 1.0}, 1.0);
        }
    }
    for (int i = 0; i < across; i++)
        for (int j = 0; j < around; j++) {
            int a = first + i * around + j, b = first + i * around + (j + 1) % around;
            m.polygon({a, b, b + around, a + around}, "mat_eye_oa");
        }
}

bool writeModel(FishLook const& k, std::string const& model, std::string const& skeleton,
                std::string const& lights) {
    CmodelWriter m;
    skinAttribs(m);
    Rig rig{};
    for (int i = 0; i < kSpineJoints; i++)
        rig.joint[i] = {0, 0, spineJointZ(i)}, rig.parent[i] = -1;

    Body body = makeBody(m, k);
    // Five views: all of the body, then, for the viewer well to one side, without the head
    // half's faces turned fully away (the tail bends too much to drop any of its faces).
    const double farSide[5] = {0, -0.9, -0.95, 0.95, 0.9};
    for (int view = 0; view < 5; view++) {
        char group[32];
        std::snprintf(group, sizeof group, "mat_body_%d#_o1", view);
        for (size_t f = 0; f < body.polygons.size(); f++) {
            double nx = body.faceNormals[f].x;
            bool away = body.faceU[f] < 0.5 &&
                        (farSide[view] < 0 ? nx < farSide[view] : view > 0 && nx > farSide[view]);
            if (!away) m.polygon(body.polygons[f], group);
        }
    }
    ridgeFin(m, k, k.dorsal, 1);
    ridgeFin(m, k, k.anal, -1);
    caudalFin(m, k);

    for (int side = 0; side < 2; side++) {
        double s = side == 0 ? 1 : -1;
        Section pec = section(k, 0.3);
        V pecRoot{s * 0.8 * pec.half, -0.3 * pec.bottom, pec.z};
        int low = side == 0 ? kLowerLeftPec : kLowerRightPec;
        rig.joint[low] = rig.joint[low + 1] = pecRoot;
        rig.parent[low] = rig.parent[low + 1] = nearestSpineJoint(pec.z);
        pairedFin(m, pecRoot, k.pectoral, -0.7, 0.45, 0.45, low, low + 1, s);

        Section pel = section(k, 0.45);
        V pelRoot{s * 0.3 * pel.half, -0.92 * pel.bottom, pel.z};
        int forward = side == 0 ? kPelvicLeftForward : kPelvicRightForward;
        rig.joint[forward] = rig.joint[forward + 1] = pelRoot;
        rig.parent[forward] = rig.parent[forward + 1] = nearestSpineJoint(pel.z);
        pairedFin(m, pelRoot, 0.6 * k.pectoral, -1.2, -0.55, 0.35, forward, forward + 1, s);

        Section head = section(k, 0.13);
        V eyeAt{s * 0.82 * head.half, 0.3 * head.top, head.z};
        int e = side == 0 ? kLeftEye : kRightEye;
        rig.joint[e] = eyeAt, rig.parent[e] = nearestSpineJoint(head.z);
        eye(m, eyeAt, k.eye, s, e);

        Section gill = section(k, 0.24);
        int g = side == 0 ? kGillLeft : kGillRight;
        rig.joint[g] = {s * gill.half, 0, gill.z}, rig.parent[g] = nearestSpineJoint(gill.z);
    }
    Section jaw = section(k, 0.12);
    rig.joint[kLowerJaw] = {0, -0.4 * jaw.bottom, jaw.z}, rig.parent[kLowerJaw] = 0;
    Section lip = section(k, 0.06);
    rig.joint[kUpperLip] = {0, 0.3 * lip.top, lip.z}, rig.parent[kUpperLip] = 0;

    CmodelWriter skel;
    skel.attrib("pos", 3);
    skel.attrib("parentMat", 1);
    skel.attrib("misc_cmd", 1);
    if (k.commandRig) skel.attrib("mtx_cmd", 1);
    for (int j = 0; j < kFishJoints; j++)
        skel.point(
            {float(rig.joint[j].x), float(rig.joint[j].y), float(rig.joint[j].z), float(rig.parent[j])});
    for (int i = 0; i < kSpineJoints; i++)
        skel.pointGroup("spine", i);
    char const* named[] = {"leftEye",         "rightEye",          "lowerJaw",       "gillMatLeft",
                           "gillMatRight",    "lowerLeftPec",      "upperLeftPec",   "lowerRightPec",
                           "upperRightPec",   "pelvicLeftForward", "pelvicLeftBack", "pelvicRightForward",
                           "pelvicRightBack", "upperLip"};
    for (int j = kLeftEye; j < kFishJoints; j++)
        skel.pointGroup(named[j - kLeftEye], j);
    // The cloth fins' controllers: the root links' lift and every link's wag, whose weights
    // let the rear of the back and belly fins flutter most.
    std::vector<std::string> misc(kFishJoints);
    std::string weights;
    for (int c = 0; c < kFinColumns; c++)
        weights += " " + std::to_string(0.05 + 0.15 * c / (kFinColumns - 1.0)).substr(0, 5);
    std::string cells = std::to_string(kFinColumns);
    char const* commands[] = {"dorsalLift0 finLift", "dorsalWag0 finWag",   "analLift0 finLift",
                              "analWag0 finWag",     "caudalLift0 finLift", "caudalWag0 caudalWag"};
    int at = 0;
    for (char const* c : commands)
        misc[at++] = std::string("-cc ") + c + " " + cells;
    misc[at++] = "-fillSubChan dorsalWag0 weights" + weights;
    misc[at++] = "-fillSubChan analWag0 weights" + weights;
    skel.pointTexts("misc_cmd", misc);
    if (k.commandRig) skel.pointTexts("mtx_cmd", finCommands());

    // One lighting point per spine joint, carried by it.
    CmodelWriter light;
    light.attrib("pos", 3);
    light.attrib("mat", 2);
    light.attrib("blend", 1);
    for (int i = 0; i < kSpineJoints; i++)
        light.point({0, 0, float(spineJointZ(i)), float(i), float(i), 1});
    return m.write(model) && skel.writeTree(skeleton) && light.write(lights);
}

// ---- the colour texture ----

float mixc(float a, float b, double t) {
    return static_cast<float>(a + (b - a) * t);
}

// How much of the mark colour the body shows at (along, around), both 0..1.
double markAt(FishLook const& k, double u, double v) {
    double inside = smoothStep(0.04, 0.12, u) * (1 - smoothStep(0.9, 1.0, u));
    switch (k.pattern) {
    case FishPattern::stripe:
        if (k.patternScale <= 1) return inside * (1 - smoothStep(0.045, 0.075, std::fabs(v - 0.6)));
        return inside * smoothStep(0.2, 0.5, std::sin(v * pi * 2 * k.patternScale));
    case FishPattern::bands:
        return inside * smoothStep(0.55, 0.75, std::sin((u - 0.12) * pi * k.patternScale));
    case FishPattern::spots:
        return smoothStep(0.35, 0.5,
                          latticeNoise(u * k.patternScale * 3, v * k.patternScale * 1.5, k.seed, 0));
    case FishPattern::gradient:
        return smoothStep(0.25, 0.95, u);
    }
    return 0;
}

bool writeSkin(FishLook const& k, std::string const& path) {
    std::vector<uint8_t> px(static_cast<size_t>(kTexW) * kTexH * 4);
    auto byte = [](double v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
    for (int y = 0; y < kTexH; y++)
        for (int x = 0; x < kTexW; x++) {
            double s = (x + 0.5) / kTexW, v = (y + 0.5) / kTexH;
            float rgb[3];
            double alpha = 1;
            if (s < kBodyU + 0.01) {
                double u = std::min(s / kBodyU, 1.0);
                double top = smoothStep(0.3, 0.75, v), mark = markAt(k, u, v);
                // Fine scales, and the gill cover's edge.
                double grain = 0.93 + 0.07 * latticeNoise(x * 0.7, y * 1.4, k.seed + 7, 0);
                double gill = 1 - 0.3 * (1 - smoothStep(0.006, 0.018,
                                                        std::fabs(u - 0.23 - 0.04 * (v - 0.5) * (v - 0.5))));
                for (int c = 0; c < 3; c++)
                    rgb[c] = static_cast<float>(mixc(mixc(k.belly[c], k.back[c], top), k.mark[c], mark) *
                                                grain * gill);
            } else {
                double a = std::clamp((s - kFinU0) / (kFinU1 - kFinU0), 0.0, 1.0);
                double ray = 0.5 + 0.5 * std::cos(a * pi * 18);
                for (int c = 0; c < 3; c++)
                    rgb[c] = static_cast<float>(k.fin[c] * (0.85 + 0.15 * ray));
                alpha = (0.45 + 0.3 * ray) * (1 - 0.55 * v * v);
            }
            uint8_t* p = &px[(static_cast<size_t>(y) * kTexW + x) * 4];
            for (int c = 0; c < 3; c++)
                p[c] = byte(rgb[c]);
            p[3] = byte(alpha);
        }
    return writeSgi(path, kTexW, kTexH, 4, px);
}

std::vector<CgeneratedFile> const& outputs() {
    static const std::vector<CgeneratedFile> list = [] {
        std::vector<CgeneratedFile> out;
        for (FishLook const& k : fishLooks()) {
            std::string dir = std::string("species/") + k.name + "/";
            std::string name = k.name;
            out.push_back({dir + name + ".geo", [k, name](std::string const& p) {
                               std::string d = p.substr(0, p.size() - name.size() - 4);
                               return writeModel(k, p, d + name + "_skel.tree", d + name + "_lights.geo");
                           }});
            out.push_back({dir + name + "_skel.tree", [](std::string const&) { return true; }});
            out.push_back({dir + name + "_lights.geo", [](std::string const&) { return true; }});
            out.push_back({dir + "arrays/skin.sgi", [k](std::string const& p) { return writeSkin(k, p); }});
        }
        return out;
    }();
    return list;
}
} // namespace

double spineJointZ(int i) {
    return 0.5 - i / 9.0;
}

std::vector<FishLook> const& fishLooks() {
    // name, depth, width, peak, arch, peduncle, dorsal, anal, caudal, fork, pectoral, eye,
    // back, belly, mark, fin, pattern, scale, seed
    // clang-format off
    static const std::vector<FishLook> looks = {
        {"neon_tetra", 0.27, 0.14, 0.38, 0.1, 0.32,
         {0.42, 0.55, 0.1}, {0.56, 0.75, 0.08}, 0.24, 0.55, 0.14, 0.035,
         {0.35, 0.45, 0.6}, {0.9, 0.25, 0.2}, {0.2, 0.75, 1.0}, {0.85, 0.9, 0.95},
         FishPattern::stripe, 1, 11},
        {"zebra_danio", 0.22, 0.12, 0.4, 0.05, 0.35,
         {0.5, 0.64, 0.09}, {0.55, 0.78, 0.08}, 0.26, 0.5, 0.16, 0.03,
         {0.7, 0.68, 0.45}, {0.95, 0.92, 0.8}, {0.15, 0.22, 0.55}, {0.8, 0.8, 0.7},
         FishPattern::stripe, 3, 23},
        {"sun_tang", 0.62, 0.12, 0.45, 0.08, 0.22,
         {0.2, 0.82, 0.2}, {0.45, 0.85, 0.16}, 0.24, 0.15, 0.2, 0.045,
         {1.0, 0.85, 0.15}, {1.0, 0.92, 0.4}, {0.95, 0.6, 0.05}, {1.0, 0.88, 0.3},
         FishPattern::gradient, 1, 37},
        {"tiger_barb", 0.45, 0.16, 0.42, 0.1, 0.3,
         {0.38, 0.6, 0.13}, {0.58, 0.78, 0.1}, 0.26, 0.45, 0.18, 0.04,
         {0.95, 0.7, 0.35}, {1.0, 0.88, 0.65}, {0.08, 0.08, 0.1}, {0.95, 0.35, 0.2},
         FishPattern::bands, 3.5, 41},
        {"pearl_gourami", 0.4, 0.12, 0.4, 0.05, 0.35,
         {0.55, 0.78, 0.1}, {0.32, 0.85, 0.16}, 0.28, 0.05, 0.3, 0.04,
         {0.6, 0.62, 0.7}, {0.85, 0.75, 0.7}, {0.97, 0.97, 1.0}, {0.75, 0.78, 0.85},
         FishPattern::spots, 6, 53, true},
        {"cherry_barb", 0.38, 0.14, 0.42, 0.08, 0.32,
         {0.4, 0.58, 0.12}, {0.58, 0.76, 0.09}, 0.26, 0.45, 0.16, 0.04,
         {0.72, 0.2, 0.14}, {0.96, 0.5, 0.38}, {0.28, 0.06, 0.06}, {0.92, 0.32, 0.22},
         FishPattern::stripe, 1, 61},
        {"angelfish", 0.95, 0.1, 0.4, 0.02, 0.2,
         {0.3, 0.7, 0.55}, {0.4, 0.75, 0.55}, 0.3, 0.2, 0.18, 0.05,
         {0.8, 0.82, 0.84}, {0.95, 0.95, 0.93}, {0.12, 0.12, 0.15}, {0.84, 0.86, 0.9},
         FishPattern::bands, 3, 71},
    };
    // clang-format on
    return looks;
}

std::vector<std::string> const& fishFiles() {
    static std::vector<std::string> const files = generatedFileNames(outputs());
    return files;
}

int writeFish(std::string const& root) {
    return writeGeneratedFiles(outputs(), root, "fish");
}
