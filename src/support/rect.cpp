#include "support/rect.h"

#include <ostream>
#include <utility>

void Crect::scalex(float f) {
    setWidth(width() * f);
}

void Crect::scaley(float f) {
    setHeight(height() * f);
}

void Crect::expand(float fx, float fy) {
    scalex(fx);
    scaley(fy);
}

void Crect::setWidth(float v) {
    float c = centerx();
    minx = c - v * 0.5f;
    maxx = c + v * 0.5f;
}

void Crect::setHeight(float v) {
    float c = centery();
    miny = c - v * 0.5f;
    maxy = c + v * 0.5f;
}

void Crect::setCentery(float v) {
    float h = height();
    miny = v - h * 0.5f;
    maxy = v + h * 0.5f;
}

bool Crect::pointIsWithin(Cvector2 const& p) const {
    return p.x >= minx && p.x <= maxx && p.y >= miny && p.y <= maxy;
}

void Crect::makeValid() {
    if (maxx < minx) std::swap(minx, maxx);
    if (maxy < miny) std::swap(miny, maxy);
}

void Crect::enlargeToEncompass(Crect const& r) {
    if (r.minx < minx) minx = r.minx;
    if (r.maxx > maxx) maxx = r.maxx;
    if (r.miny < miny) miny = r.miny;
    if (r.maxy > maxy) maxy = r.maxy;
}

void Crect::minimumBounds(Crect const& r) {
    if (r.minx > minx) minx = r.minx;
    if (r.maxx < maxx) maxx = r.maxx;
    if (r.miny > miny) miny = r.miny;
    if (r.maxy < maxy) maxy = r.maxy;
}

Crect Crect::normalizeWithin(Crect const& r) const {
    float w = r.width(), h = r.height();
    return Crect((minx - r.minx) / w, (maxx - r.minx) / w, (miny - r.miny) / h, (maxy - r.miny) / h);
}

void Crect::stretchNormalizedTo(Cvector2& p) const {
    p.x = minx + p.x * width();
    p.y = miny + p.y * height();
}

void Crect::stretchNormalizedTo(Crect const& r) {
    float w = r.width(), h = r.height();
    minx = r.minx + minx * w;
    maxx = r.minx + maxx * w;
    miny = r.miny + miny * h;
    maxy = r.miny + maxy * h;
}

void Crect::blendWith(Crect const& r, float f) {
    minx += (r.minx - minx) * f;
    maxx += (r.maxx - maxx) * f;
    miny += (r.miny - miny) * f;
    maxy += (r.maxy - maxy) * f;
}

void Crect::pointToNormalizedCoordsWithinRect(Cvector2& p) const {
    p.x = (p.x - minx) / width();
    p.y = (p.y - miny) / height();
}

void Crect::pointToNormalizedCoordsWithinRect(Cvector& p) const {
    p.x = (p.x - minx) / width();
    p.y = (p.y - miny) / height();
}

std::ostream& operator<<(std::ostream& out, Crect const& r) {
    float w = r.width(), h = r.height();
    return out << "minx=" << r.minx << " maxx=" << r.maxx << " miny=" << r.miny << " maxy=" << r.maxy
               << "      width:" << w << " height:" << h << " aspect=" << w / h;
}
