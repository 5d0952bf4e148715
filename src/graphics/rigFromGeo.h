// Reading a skeleton model and a model's cloth description out of loaded geometry.
#pragma once

#include <vector>

#include "graphics/cloth.h"
#include "graphics/skeleton.h"

class CgeoNew;
class CtexturedGeo;

// The joints of a skeleton model: one point each, with "pos", the parent ("parentMat", or
// "mat" when that is absent), "showMe", "N" and the "mtx_cmd" strings when present. False
// (recorded "notInterlvd", out empty) when the geometry is not interleaved.
bool skeletonPointsFromGeo(CgeoNew& geo, CskeletonModelPoints& out);
// The cloth description of a model: its point groups in order, and a view of its point
// records with the cloth attributes' offsets (-1 when absent). The view points into geo
// and groups, which must outlive its use.
void clothViewFromGeo(CgeoNew& geo, std::vector<CclothPointGroup>& groups, CclothModelView& view);
// Builds model.cloth from the model's groups and attributes, its species' "stiffness"
// array and the fin controllers found through controllers (may be null). Cloth points get
// 0 in the model's pointFlags. 0 built; 1 refused (see CclothModel::buildCloth).
int buildModelCloth(CtexturedGeo& model, CclothControllerSource* controllers);
