// Per-point tables: the sparse per-frame effects of a model turned, once per model, into
// compact lists of only the points concerned. Every index a table holds is checked here,
// so the per-frame passes that read the tables never index outside the model.
#include <cmath>
#include <cstring>

#include "graphics/texturedGeo.h"
#include "support/cerr.h"
#include "support/matrix4.h"

namespace {

// A stored float as a whole number; -2 for values no index can be (NaN, huge).
int wholeNumber(float v) {
    if (!(v > -1.0e6f && v < 1.0e6f)) return -2;
    return static_cast<int>(v);
}

} // namespace

void CtexturedGeo::buildQuickMatrixLookups() {
    int mat = findAttrib("mat", 0);
    blendInfo.clear();
    if (mat < 0 || findAttrib("mat", 1) < 2 || pointData() == nullptr) return;
    int blend = findAttrib("blend", 1) >= 1 ? findAttrib("blend", 0) : -1;
    blendInfo.resize(static_cast<size_t>(numPoints));
    for (int p = 0; p < numPoints; p++) {
        float const* r = pointRecord(p);
        CmatrixBlendInfo& b = blendInfo[static_cast<size_t>(p)];
        b.matrixA = static_cast<uint8_t>(wholeNumber(r[mat]) & 255);
        b.matrixB = static_cast<uint8_t>(wholeNumber(r[mat + 1]) & 255);
        b.weight = blend >= 0 ? r[blend] : 1.0f; // without weights, matrix A alone
    }
}

int CtexturedGeo::checkMatrixIndices(int jointCount) {
    int mat = findAttrib("mat", 0);
    if (mat < 0 || findAttrib("mat", 1) < 2 || pointData() == nullptr) return 0;
    for (int p = 0; p < numPoints; p++)
        for (int k = 0; k < 2; k++) {
            int m = wholeNumber(pointRecord(p)[mat + k]);
            if (m < 0 || m >= jointCount || m > 255)
                return badModel("matrix index out of range at point ", p);
        }
    return 0;
}

void CtexturedGeo::allocDappleKeys() {
    Cvariable* holder = species ? species->getChild("light_points", 0) : nullptr;
    auto* ref = dynamic_cast<CresourceReference*>(holder);
    auto* lights = ref && ref->target ? dynamic_cast<CgeoNew*>(*ref->target) : nullptr;
    if (lights == nullptr) return;
    dappleTableA.assign(static_cast<size_t>(lights->numPoints), 1.0f);
    dappleTableB.assign(static_cast<size_t>(lights->numPoints), 9.0f);
    int light = findAttrib("lightpoint", 0), blend = findAttrib("lightblend", 0);
    if (light < 1 || blend < 1 || findAttrib("lightpoint", 1) < 2) {
        setExitError("proper dapple key attributes don't exist!", 1);
        return;
    }
    dappleKeys.resize(static_cast<size_t>(numPoints));
    for (int p = 0; p < numPoints; p++) {
        float const* r = pointRecord(p);
        int a = wholeNumber(r[light]), b = wholeNumber(r[light + 1]);
        if (a < 0 || b < 0 || a >= lights->numPoints || b >= lights->numPoints || a > 255 || b > 255) {
            dappleKeys.clear();
            badModel("light point out of range at point ", p);
            return;
        }
        dappleKeys[static_cast<size_t>(p)] = {static_cast<uint8_t>(a), static_cast<uint8_t>(b),
                                              1.0f - r[blend]};
    }
}

int CtexturedGeo::initGeometrySpecialProcessingTables() {
    if (!requireInterleaved(*this, true)) return 1;
    flutterDir.deleteChildren();
    normalCalcs.clear(), flutterSkips.clear(), flutterValues.clear(), dualNormalFactors.clear();
    dualNormalPoints.clear(), stealColorPairs.clear(), lightingAdjust.clear();
    clonedPoints.clonePoints(*this, {"pos", "Cd", "N"}, 0);
    pointFlags.assign(static_cast<size_t>(numPoints), 1);
    VTRACE(2, "initGeometrySpecialProcessingTables");
    buildQuickMatrixLookups();
    allocDappleKeys();
    VTRACE(2, "\ndone with materials");
    if (pointData() == nullptr) return 0;
    // Reads float k of attribute a of point p; the attribute was checked to hold it.
    auto value = [&](int a, int p, int k = 0) { return pointRecord(p)[a + k]; };
    auto attrib = [&](char const* attribName, int floats) {
        return findAttrib(attribName, 1) >= floats ? findAttrib(attribName, 0) : -1;
    };

    int finDist = attrib("fin_dist", 1), wag = attrib("fin_wag_amount", 1);
    if (pointSide.groups && finDist >= 0) {
        for (Cvariable* g = pointSide.groups->firstChild; g; g = g->nextSibling) {
            if (std::strncmp(g->name.c_str(), "flutter_", 8) != 0) continue;
            auto* group = static_cast<CshortLinkVar*>(g);
            std::vector<CflutterRecord> records;
            for (int i = 0; i < groupSize(group); i++) {
                int p = groupMembers(group)[i];
                CflutterRecord r;
                r.point = static_cast<int16_t>(p);
                if (!blendInfo.empty()) {
                    CmatrixBlendInfo const& b = blendInfo[static_cast<size_t>(p)];
                    r.matrixA = b.matrixA, r.matrixB = b.matrixB, r.weight = b.weight;
                }
                r.finDistance = value(finDist, p);
                r.wagAmount = wag >= 0 ? value(wag, p) : 0.0f;
                records.push_back(r);
            }
            auto* link = new ClinkVar();
            link->setName(g->name.substr(8, g->name.size() - 8));
            flutterDir.addVariable(link, 1);
            if (!records.empty()) {
                link->allocElements(static_cast<int>(records.size()), sizeof(CflutterRecord));
                std::memcpy(link->storage, records.data(), records.size() * sizeof(CflutterRecord));
            }
        }
    }

    if (int calc = attrib("calc_norms", 2); calc >= 0) {
        int count = 0;
        for (int p = 0; p < numPoints; p++)
            count += value(calc, p) != -1.0f;
        VTRACE(1, "numNormCalcs:" << count);
        normalCalcs.reserve(3 * static_cast<size_t>(count));
        for (int p = 0; p < numPoints; p++) {
            if (value(calc, p) == -1.0f) continue;
            int a = wholeNumber(value(calc, p)), b = wholeNumber(value(calc, p, 1));
            if (a < 0 || b < 0 || a >= numPoints || b >= numPoints) {
                VTRACE(1, "bad pt " << p);
                normalCalcs.clear();
                badModel("bad calc norms! at point ", p);
                return 1;
            }
            normalCalcs.insert(normalCalcs.end(), {static_cast<uint16_t>(p), static_cast<uint16_t>(a),
                                                   static_cast<uint16_t>(b)});
        }
    }

    int flutter = attrib("flutter", 1);
    if (flutter >= 0 && uvOffset >= 0 && findAttrib("uv", 1) >= 2) {
        int previous = 0;
        for (int p = 0; p < numPoints; p++) {
            if (value(flutter, p) == 0.0f) continue;
            flutterValues.insert(flutterValues.end(),
                                 {value(uvOffset, p), value(uvOffset, p, 1), value(flutter, p)});
            flutterSkips.push_back(p - previous);
            previous = p;
        }
    }

    causticNoiseOffset = findAttrib("causticNoise", 0);
    causticAmpOffset = findAttrib("causticAmp", 0);
    if (normalOffset >= 0) {
        dualNormalFactors.assign(static_cast<size_t>(numPoints), 1.0f);
        CshortLinkVar* dual = pointSide.findGroup("dualNormal");
        dualNormalPoints.assign(groupMembers(dual), groupMembers(dual) + groupSize(dual));
    }

    if (int steal = attrib("stealColor", 1); steal >= 0) {
        for (int p = 0; p < numPoints; p++) {
            if (value(steal, p) == -1.0f) continue;
            float source = std::floor(value(steal, p) + 0.1f);
            if (!(source >= 0.0f && source < static_cast<float>(numPoints))) {
                stealColorPairs.clear();
                return badModel("stolen colour from outside the model at point ", p);
            }
            stealColorPairs.insert(stealColorPairs.end(), {p, static_cast<int>(source)});
        }
    }

    if (int adjust = attrib("lightingAdjust", 2); adjust >= 0) {
        for (int p = 0; p < numPoints; p++)
            lightingAdjust.insert(lightingAdjust.end(), {value(adjust, p), value(adjust, p, 1)});
    }
    return exitSaver ? 1 : 0;
}

void CtexturedGeo::deformGeometry(float* out, std::vector<Cmatrix_4> const& matrices) {
    if (matrices.empty() || numPoints <= 0 || out == nullptr || posSize < 3) return;
    if (!requireInterleaved(*this, true)) return;
    for (int p = 0; p < numPoints; p++) {
        float const* pos = pointRecord(p) + posOffset;
        CmatrixBlendInfo b =
            blendInfo.empty() ? CmatrixBlendInfo{0, 0, 1.0f} : blendInfo[static_cast<size_t>(p)];
        // An index past the list (a skeleton smaller than the model was made for) uses the
        // first matrix rather than memory outside the list.
        size_t ia = b.matrixA < matrices.size() ? b.matrixA : 0;
        size_t ib = b.matrixB < matrices.size() ? b.matrixB : 0;
        Cvector a(pos[0], pos[1], pos[2]);
        a *= matrices[ia];
        if (b.weight != 1.0f) {
            Cvector other(pos[0], pos[1], pos[2]);
            other *= matrices[ib];
            a = a * b.weight + other * (1.0f - b.weight);
        }
        out[3 * p] = a.x, out[3 * p + 1] = a.y, out[3 * p + 2] = a.z;
    }
}

void CtexturedGeo::remapAttrib(int offset, std::vector<short> const& table) {
    if (!requireInterleaved(*this, true) || offset < 0 || offset >= floatsPerPoint) return;
    for (int p = 0; p < numPoints; p++) {
        float& v = pointRecord(p)[offset];
        int i = wholeNumber(v);
        if (i >= 0 && static_cast<size_t>(i) < table.size()) v = table[static_cast<size_t>(i)];
    }
}
