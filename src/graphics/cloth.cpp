// Building the cloth records of a model and moving a work object's cloth each frame.
#include "graphics/cloth.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "graphics/numberLimits.h"
#include "script/chanController.h"
#include "support/cerr.h"

void approxNormalize(Cvector& v) {
    float l = v.lengthSquared();
    if (!(l > FLT_MIN) || l == 1.0f) return;
    uint32_t bits;
    std::memcpy(&bits, &l, sizeof bits);
    bits = 0x5f3759dfu - (bits >> 1);
    float r;
    std::memcpy(&r, &bits, sizeof r);
    r = r * -0.5f * (l * r * r - 3.0f);
    v *= r;
}

namespace {

bool startsWith(Cstring const& text, Cstring const& prefix) {
    return text.size() >= prefix.size() && std::strncmp(text.c_str(), prefix.c_str(), prefix.size()) == 0;
}

void recordPieceError(Cstring const& piece, char const* what, int value) {
    char text[512];
    std::snprintf(text, sizeof text, "cloth %s: %s %d", piece.c_str(), what, value);
    setExitError(text, 1);
}

Cvector vectorAt(float const* record, int offset) {
    return Cvector(record[offset], record[offset + 1], record[offset + 2]);
}

// The frame turned to follow direction d: row 2 = d, row 1 = row 0 x d, row 0 = d x row 1.
void follow(Cmatrix3& m, Cvector const& d) {
    m.forward = d;
    m.up.crossOf(m.side, d);
    m.side.crossOf(d, m.up);
}

} // namespace

int CclothModel::getClothIndex(char const* name) const {
    for (size_t i = 0; i < clothPieces.size(); i++) {
        if (clothPieces[i].name == name) return static_cast<int>(i);
    }
    return -1;
}

int CclothModel::buildCloth(CclothModelView const& model, CclothControllerSource* controllers,
                            uint8_t* pointFlags) {
    VTRACE(2, "extracting cloth info");
    clothPieces.clear();
    clothSlavePoints = 0;
    if (model.pointGroups == nullptr) return 0;
    std::vector<CclothPointGroup> const& groups = *model.pointGroups;
    std::vector<CclothPointGroup const*> bases;
    for (CclothPointGroup const& g : groups) {
        if (startsWith(g.name, "cloth_base_")) bases.push_back(&g);
    }
    if (bases.empty()) return 0;

    // Every cloth point needs these; a model without them cannot hang cloth.
    struct Attribute {
        char const* name;
        int offset;
        int size;
    } const attributes[] = {{"mat", model.matOffset, 2},
                            {"blend", model.blendOffset, 1},
                            {"spineNum", model.spineNumOffset, 1},
                            {"fin_dist", model.finDistOffset, 1},
                            {"fin_angles", model.finAnglesOffset, 2},
                            {"N", model.normalOffset, 3},
                            {"pos", 0, 3}};
    for (Attribute const& a : attributes) {
        if (a.offset < 0 || a.offset + a.size > model.floatsPerPoint) {
            setExitError((Cstring("cloth model lacks the attribute ") + a.name).c_str(), 1);
            return 1;
        }
    }
    if (!model.interleaved || model.points == nullptr) {
        setExitError("notInterlvd", 1);
        return 1;
    }

    int failed = 0;
    clothPieces.resize(bases.size());
    for (size_t i = 0; i < bases.size(); i++) {
        CclothPieceStaticInfo& piece = clothPieces[i];
        piece.name = bases[i]->name.substr(11, bases[i]->name.size() - 11);
        VTRACE(2, "Working on cloth " << piece.name);
        piece.firstSlave = static_cast<uint16_t>(clothSlavePoints);
        if (buildPiece(piece, *bases[i], model, controllers, pointFlags) != 0) {
            failed = 1;
            piece.basePoints.clear();
            piece.slavePoints.clear();
            clothSlavePoints = piece.firstSlave;
        }
        VTRACE(2, "clothSlavePoints:" << clothSlavePoints);
    }
    return failed;
}

int CclothModel::buildPiece(CclothPieceStaticInfo& piece, CclothPointGroup const& baseGroup,
                            CclothModelView const& model, CclothControllerSource* controllers,
                            uint8_t* pointFlags) {
    std::vector<CclothPointGroup> const& groups = *model.pointGroups;
    std::vector<CclothPointGroup const*> list;
    for (Cstring prefix : {Cstring("cloth_base_") + piece.name, Cstring("cloth_") + piece.name}) {
        for (CclothPointGroup const& g : groups) {
            if (startsWith(g.name, prefix)) list.push_back(&g);
        }
    }
    int numGroups = static_cast<int>(list.size());
    piece.numGroups = static_cast<uint16_t>(numGroups);
    int spines = static_cast<int>(baseGroup.members.size());
    VTRACE(2, "base points=" << spines);
    if (spines > 256) {
        recordPieceError(piece.name, "too many spines:", spines);
        return 1;
    }
    piece.basePoints.assign(spines, CclothBasePointStaticInfo());

    std::vector<CfinWagController*> wag(numGroups);
    std::vector<CfinLiftController*> lift(numGroups);
    size_t total = 0;
    for (int j = 0; j < numGroups; j++) {
        char name[256];
        if (controllers) {
            std::snprintf(name, sizeof name, "%sWag%d", piece.name.c_str(), 0);
            wag[j] = dynamic_cast<CfinWagController*>(controllers->findChanController(name));
            std::snprintf(name, sizeof name, "%sLift%d", piece.name.c_str(), j);
            lift[j] = dynamic_cast<CfinLiftController*>(controllers->findChanController(name));
        }
        for (int p : list[j]->members) {
            if (p < 0 || p >= model.numPoints) {
                recordPieceError(piece.name, "point out of range:", p);
                return 1;
            }
        }
        total += list[j]->members.size();
    }
    VTRACE(2, "cloth has " << total << " points");

    auto record = [&](int p) { return model.points + static_cast<size_t>(p) * model.floatsPerPoint; };
    // Each spine must start with exactly one base link, or its links would run into the
    // next spine's.
    if (numGroups > 0) {
        std::vector<int> bases(spines, 0);
        for (int p : list[0]->members) {
            float s = record(p)[model.spineNumOffset];
            for (int b = 0; b < spines; b++) {
                if (s == static_cast<float>(b)) bases[b]++;
            }
        }
        for (int b = 0; b < spines; b++) {
            if (bases[b] != 1) {
                recordPieceError(piece.name,
                                 bases[b] ? "more than one base point for spine" : "no base point for spine",
                                 b);
                return 1;
            }
        }
    }

    piece.slavePoints.assign(total, CclothSlavePointStaticInfo());
    size_t made = 0;
    for (int b = 0; b < spines; b++) {
        Cmatrix3 frame;
        frame.identity();
        Cvector previous;
        bool hasPrevious = false;
        for (int j = 0; j < numGroups; j++) {
            float defaultStiffness = std::pow(0.8f, static_cast<float>(j));
            std::vector<int> const& members = list[j]->members;
            for (size_t k = 0; k < members.size(); k++) {
                int p = members[k];
                float const* r = record(p);
                if (r[model.spineNumOffset] != static_cast<float>(b)) continue;
                if (pointFlags) pointFlags[p] = 0;
                Cvector n = vectorAt(r, model.normalOffset);
                Cvector position = vectorAt(r, 0);
                float stiffness = defaultStiffness;
                if (j == 0) {
                    CclothBasePointStaticInfo& base = piece.basePoints[b];
                    base.matrix0 = static_cast<uint8_t>(truncatedWithin(r[model.matOffset]));
                    base.matrix1 = static_cast<uint8_t>(truncatedWithin(r[model.matOffset + 1]));
                    base.weight = r[model.blendOffset];
                    base.anchor = position + n;
                    stiffness = 1.0f;
                }
                CclothSlavePointStaticInfo& link = piece.slavePoints[made];
                // A stiffness list shorter than the chain leaves the deeper links their default.
                if (model.stiffness && j < static_cast<int>(model.stiffness->size()))
                    stiffness = (*model.stiffness)[j];
                link.stiffness = stiffness;
                link.finDist = r[model.finDistOffset];
                link.pointIndex = static_cast<uint16_t>(p);
                link.spine = static_cast<uint8_t>(b);
                link.last = 1;
                if (hasPrevious) {
                    link.restOffset = position - previous;
                    link.restOffset /= frame;
                } else {
                    link.restOffset = -n;
                }
                int cell = static_cast<int>(k);
                if (CfinWagController* w = wag[j]) {
                    if (2 * cell + 1 >= w->cosSin.count) {
                        recordPieceError(piece.name, "cioorA wag cell", cell);
                        return 1;
                    }
                    link.wag = w->cosSin.values + 2 * cell;
                }
                if (CfinLiftController* l = lift[j]) {
                    if (cell >= l->shapeA.count || cell >= l->shapeB.count ||
                        2 * cell + 1 >= l->cosSin.count) {
                        recordPieceError(piece.name, "cioorA lift cell", cell);
                        return 1;
                    }
                    l->shapeB.values[cell] = r[model.finAnglesOffset];     // reached at blend factor 1
                    l->shapeA.values[cell] = r[model.finAnglesOffset + 1]; // at blend factor 0
                    link.lift = l->cosSin.values + 2 * cell;
                }
                if (j > 0) piece.slavePoints[made - 1].last = 0;
                previous = position;
                hasPrevious = true;
                made++;
                clothSlavePoints++;
                Cvector d = -n;
                approxNormalize(d);
                follow(frame, d);
            }
            if (wag[j]) wag[j]->fill(0, 0, 0, 0);
            if (lift[j]) lift[j]->fill(0, 0);
        }
    }
    // Links whose spine matches no base point got no record.
    piece.slavePoints.resize(made);
    return 0;
}

// ---- per work object ----

void Ccloth::setupCloth(CclothModel const& model) {
    clothPoints.resize(model.clothSlavePoints);
}

void Ccloth::updateClothPiece(CclothModel const& model, int pieceIndex, float xFactor, float yzFactor,
                              float const* extra, CclothFrame const& f) {
    if (pieceIndex < 0 || pieceIndex >= static_cast<int>(model.clothPieces.size())) return;
    CclothPieceStaticInfo const& piece = model.clothPieces[pieceIndex];
    if (piece.basePoints.empty() || f.deformMatrices == nullptr || f.normalMatrices == nullptr ||
        f.positions == nullptr)
        return;
    // Joints and points the records name must exist in this work object.
    for (CclothBasePointStaticInfo const& base : piece.basePoints) {
        if (base.matrix0 >= f.numMatrices || base.matrix1 >= f.numMatrices) return;
    }
    size_t links = piece.slavePoints.size();
    if (piece.firstSlave + links > clothPoints.size()) return;

    float s = f.thingScale;
    float fx = f.cooks > 1 ? xFactor : 1.0f;
    float fyz = f.cooks > 1 ? yzFactor : 1.0f;
    size_t at = 0;
    for (CclothBasePointStaticInfo const& base : piece.basePoints) {
        Cvector anchor = base.anchor;
        anchor.blendByMatrices(f.deformMatrices[base.matrix0], f.deformMatrices[base.matrix1],
                               1.0f - base.weight);
        Cmatrix3 const& r0 = f.normalMatrices[base.matrix0];
        Cmatrix3 const& r1 = f.normalMatrices[base.matrix1];
        Cmatrix3 frame;
        frame.side = r1.side + (r0.side - r1.side) * base.weight;
        frame.up = r1.up + (r0.up - r1.up) * base.weight;
        frame.forward = r1.forward + (r0.forward - r1.forward) * base.weight;
        float const* nextExtra = extra;
        while (at < links) {
            CclothSlavePointStaticInfo const& link = piece.slavePoints[at];
            Cvector& current = clothPoints[piece.firstSlave + at];
            at++;
            Cvector d = current - anchor;
            d /= frame;
            float length = link.finDist * s;
            Cvector target;
            float c;
            if (link.wag) {
                float added = 0.0f;
                if (nextExtra) added = *nextExtra++;
                target.x = (added + link.wag[1]) * length;
                c = link.wag[0];
            } else {
                c = link.restOffset.z * s;
                target.x = link.restOffset.x * s;
            }
            if (link.lift) {
                target.y = link.lift[1] * c * length;
                target.z = c * length * link.lift[0];
            } else {
                target.y = link.restOffset.y * s;
                target.z = link.restOffset.z * s;
            }
            d.x += (target.x - d.x) * link.stiffness * fx;
            d.y += (target.y - d.y) * link.stiffness * fyz;
            d.z += (target.z - d.z) * link.stiffness * fyz;
            Cvector world = frame.side * d.x + frame.up * d.y + frame.forward * d.z;
            approxNormalize(world);
            anchor += world * length;
            if (link.pointIndex < f.numPoints) {
                float* p = f.positions + static_cast<size_t>(link.pointIndex) * f.posSize;
                p[0] = anchor.x;
                p[1] = anchor.y;
                p[2] = anchor.z;
            }
            current = anchor;
            if (link.last) break;
            follow(frame, world);
        }
    }
}
