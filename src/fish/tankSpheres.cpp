// A tank's obstacle spheres from its avoid-sphere model: the model's points and "pscale"
// radii seen through the sphere field's source interface.
#include "fish/tankSpheres.h"

#include "fish/sphereField.h"
#include "graphics/geoNew.h"
#include "world/tank.h"

namespace {
class CgeoSpheres : public CsphereSource {
  public:
    explicit CgeoSpheres(CgeoNew& geo) : geo(geo) {}
    int pointCount() const override { return geo.pointData() ? geo.numPoints : 0; }
    bool isInterleaved() const override { return geo.interleaved != 0; }
    bool hasAttribute(char const* name) const override { return geo.findAttrib(name, 0) >= 0; }
    Cvector pointPosition(int i) const override {
        float const* r = geo.pointRecord(i) + geo.posOffset;
        return Cvector(r[0], r[1], r[2]);
    }
    float pointAttribute(int i, char const* name) const override {
        return geo.pointRecord(i)[geo.findAttrib(name, 0)];
    }

  private:
    CgeoNew& geo;
};

int loadIntoTank(Ctank* tank, CmanagedResourceVar* geometry, float scale) {
    auto* geo = dynamic_cast<CgeoNew*>(geometry);
    if (tank == nullptr || geo == nullptr || geo->posSize < 3) return 1;
    if (tank->spheres == nullptr) tank->spheres = new CsphereField;
    return tank->spheres->loadSpheres(CgeoSpheres(*geo), scale);
}

void freeField(CsphereField* field) {
    delete field;
}

float levelOf(CsphereField const* field, Cvector const& point) {
    return field->getSphereLevelSet(point, nullptr);
}
} // namespace

void installTankSpheres() {
    loadTankSpheres = loadIntoTank;
    freeTankSpheres = freeField;
    tankSphereLevelSet = levelOf;
}
