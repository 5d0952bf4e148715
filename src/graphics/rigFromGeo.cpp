// Skeleton and cloth descriptions read from a model's point data.
#include "graphics/rigFromGeo.h"

#include "graphics/geoNew.h"
#include "graphics/texturedGeo.h"
#include "variables/variableBasics.h"

bool skeletonPointsFromGeo(CgeoNew& geo, CskeletonModelPoints& out) {
    out = CskeletonModelPoints();
    if (!requireInterleaved(geo, true)) return false;
    int n = geo.numPoints;
    int pos = geo.findAttrib("pos", 0);
    int parent = geo.findAttrib("parentMat", 0);
    if (parent < 0) parent = geo.findAttrib("mat", 0);
    int showMe = geo.findAttrib("showMe", 0);
    int normal = geo.findAttrib("N", 0);
    if (pos < 0 || geo.pointData() == nullptr) n = 0;
    for (int p = 0; p < n; p++) {
        float const* r = geo.pointRecord(p);
        out.positions.emplace_back(r[pos], r[pos + 1], r[pos + 2]);
        if (parent >= 0) out.parents.push_back(r[parent]);
        if (showMe >= 0) out.showMe.push_back(r[showMe]);
        if (normal >= 0) out.normals.emplace_back(r[normal], r[normal + 1], r[normal + 2]);
    }
    if (geo.findAttrib("mtx_cmd", 0) >= 0) geo.getPointStrings("mtx_cmd", out.commands);
    return true;
}

void clothViewFromGeo(CgeoNew& geo, std::vector<CclothPointGroup>& groups, CclothModelView& view) {
    groups.clear();
    for (Cvariable* g = geo.pointSide.groups ? geo.pointSide.groups->firstChild : nullptr; g;
         g = g->nextSibling) {
        auto* link = dynamic_cast<ClinkVar*>(g);
        CclothPointGroup group;
        group.name = g->name;
        short const* members = CgeoNew::groupMembers(link);
        for (int i = 0; i < CgeoNew::groupSize(link); i++)
            group.members.push_back(members[i]);
        groups.push_back(group);
    }
    view = CclothModelView();
    view.pointGroups = &groups;
    view.points = geo.pointData();
    view.numPoints = geo.numPoints;
    view.floatsPerPoint = geo.floatsPerPoint;
    view.interleaved = geo.interleaved != 0;
    view.matOffset = geo.findAttrib("mat", 0);
    view.blendOffset = geo.findAttrib("blend", 0);
    view.spineNumOffset = geo.findAttrib("spineNum", 0);
    view.finDistOffset = geo.findAttrib("fin_dist", 0);
    view.finAnglesOffset = geo.findAttrib("fin_angles", 0);
    view.normalOffset = geo.findAttrib("N", 0);
}

int buildModelCloth(CtexturedGeo& model, CclothControllerSource* controllers) {
    std::vector<CclothPointGroup> groups;
    CclothModelView view;
    clothViewFromGeo(model, groups, view);
    std::vector<float> stiffness;
    auto* list = dynamic_cast<CarrayVar*>(model.species ? model.species->findVariable("stiffness") : nullptr);
    if (list) {
        for (int i = 0; i < list->elements(); i++)
            stiffness.push_back(list->getFloat(i));
        view.stiffness = &stiffness;
    }
    bool flags = static_cast<int>(model.pointFlags.size()) == model.numPoints;
    return model.cloth.buildCloth(view, controllers, flags ? model.pointFlags.data() : nullptr);
}
