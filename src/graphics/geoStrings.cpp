// Per-point text tables.
//
// Some attributes are words rather than numbers (a skeleton's per-point commands, "mtx_cmd"
// and "misc_cmd"). Only the binary tree form of a model can hold them, in this layout:
//
//   points/strings/<table>/   a directory per table
//       one string variable per point, in point order (named by the point's index;
//       readers go by position, not by name)
//
// The geometry file has no place for them. A table whose entry count differs from the
// point count, or that holds anything but string variables, fails the model's load.
#include "graphics/geoNew.h"

#include "support/cerr.h"

namespace {

Cvariable* stringTable(Cvariable* pointsDir, char const* table) {
    Cvariable* strings = pointsDir ? pointsDir->firstChild : nullptr;
    for (; strings; strings = strings->nextSibling)
        if (strings->name == "strings") break;
    if (strings == nullptr) return nullptr;
    for (Cvariable* t = strings->firstChild; t; t = t->nextSibling)
        if (t->name == table) return t;
    return nullptr;
}

} // namespace

int CgeoNew::checkStringTables() {
    Cvariable* strings = nullptr;
    for (Cvariable* c = pointsDir->firstChild; c; c = c->nextSibling)
        if (c->name == "strings") strings = c;
    if (strings == nullptr) return 0;
    for (Cvariable* t = strings->firstChild; t; t = t->nextSibling) {
        int entries = 0;
        for (Cvariable* s = t->firstChild; s; s = s->nextSibling, entries++)
            if (s->getClass() != CLASS_STRING)
                return rejectContents(
                    (Cstring("string table entry of the wrong kind in ") + t->name).c_str());
        if (entries != numPoints)
            return rejectContents((Cstring("string table ") + t->name + " has entries for points:").c_str(),
                                  entries);
    }
    return 0;
}

bool CgeoNew::getPointStrings(char const* table, std::vector<Cstring>& out) {
    out.clear();
    Cvariable* t = stringTable(pointsDir, table);
    if (t == nullptr) return false;
    for (Cvariable* s = t->firstChild; s; s = s->nextSibling)
        out.push_back(Cstring(s->getString()));
    return true;
}

bool CgeoNew::setPointStrings(char const* table, std::vector<Cstring> const& texts) {
    if (pointsDir == nullptr || texts.size() != static_cast<size_t>(numPoints)) return false;
    CdirectoryVar* strings = pointsDir->addDirectory("strings", 1);
    if (strings == nullptr) return false;
    if (Cvariable* old = stringTable(pointsDir, table)) delete old;
    CdirectoryVar* t = strings->addDirectory(table, 1);
    if (t == nullptr) return false;
    for (size_t p = 0; p < texts.size(); p++) {
        Cvariable* s = t->addVariableX(Cstring(static_cast<int>(p)).c_str(), CLASS_STRING, 1);
        if (s == nullptr) return false;
        s->setString(texts[p].c_str());
    }
    return true;
}
