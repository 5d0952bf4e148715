#include "modelWriter.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "data/imageIO.h"
#include "graphics/geoNew.h"

double Crng::next() {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(state >> 11) * (1.0 / 9007199254740992.0);
}

namespace {
double hashUnit(int x, int y, uint32_t seed) {
    uint32_t h =
        static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFFFF) / double(0xFFFFFF) * 2.0 - 1.0;
}
double smooth(double t) {
    return t * t * (3.0 - 2.0 * t);
}
int wrap(int i, int period) {
    return period > 0 ? ((i % period) + period) % period : i;
}
} // namespace

double latticeNoise(double x, double y, uint32_t seed, int period) {
    double fx = std::floor(x), fy = std::floor(y);
    int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    double tx = smooth(x - fx), ty = smooth(y - fy);
    double a = hashUnit(wrap(ix, period), wrap(iy, period), seed);
    double b = hashUnit(wrap(ix + 1, period), wrap(iy, period), seed);
    double c = hashUnit(wrap(ix, period), wrap(iy + 1, period), seed);
    double d = hashUnit(wrap(ix + 1, period), wrap(iy + 1, period), seed);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

double fractalNoise(double x, double y, uint32_t seed, int octaves, int period) {
    double sum = 0.0, amp = 0.5, scale = 1.0;
    for (int o = 0; o < octaves; o++) {
        sum += amp * latticeNoise(x * scale, y * scale, seed + o * 101u,
                                  period ? period * static_cast<int>(scale) : 0);
        amp *= 0.5;
        scale *= 2.0;
    }
    return sum * 1.6;
}

void CmodelWriter::attrib(char const* name, int size) {
    geo.attribs.push_back({Cstring(name), size, 0});
    geo.floatsPerPoint += size;
}

int CmodelWriter::point(std::initializer_list<float> values) {
    size_t start = geo.data.size();
    geo.data.resize(start + geo.floatsPerPoint, 0.0f);
    int k = 0;
    for (float v : values)
        if (k < geo.floatsPerPoint) geo.data[start + k++] = v;
    return geo.points++;
}

int CmodelWriter::offsetOf(char const* name, int& size) const {
    int offset = 0;
    for (CgeoFileAttrib const& a : geo.attribs) {
        if (a.name == name) {
            size = a.size;
            return offset;
        }
        offset += a.size;
    }
    return -1;
}

void CmodelWriter::set(int p, char const* name, int k, float value) {
    int size = 0, offset = offsetOf(name, size);
    if (offset < 0 || k >= size || p < 0 || p >= geo.points) return;
    geo.data[static_cast<size_t>(p) * geo.floatsPerPoint + offset + k] = value;
}

CgeoFileGroup& CmodelWriter::groupNamed(std::vector<CgeoFileGroup>& groups, char const* name) {
    for (CgeoFileGroup& g : groups)
        if (g.name == name) return g;
    groups.push_back({Cstring(name), {}});
    return groups.back();
}

int CmodelWriter::polygon(std::vector<int> const& pts, char const* group) {
    geo.polygons.push_back(pts);
    int index = static_cast<int>(geo.polygons.size()) - 1;
    groupNamed(geo.primGroups, group).members.push_back(index);
    return index;
}

void CmodelWriter::pointGroup(char const* group, int p) {
    groupNamed(geo.pointGroups, group).members.push_back(p);
}

void makeParentFolders(std::string const& path) {
    std::error_code ec;
    std::filesystem::path p(path);
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path(), ec);
}

bool CmodelWriter::write(std::string const& path) const {
    std::string bytes;
    if (char const* why = encodeGeoFile(geo, bytes)) {
        std::fprintf(stderr, "model %s: %s\n", path.c_str(), why);
        return false;
    }
    makeParentFolders(path);
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

void CmodelWriter::pointTexts(char const* table, std::vector<std::string> const& t) {
    texts.emplace_back(table, t);
}

bool CmodelWriter::writeTree(std::string const& path) const {
    std::string bytes;
    if (char const* why = encodeGeoFile(geo, bytes)) {
        std::fprintf(stderr, "model %s: %s\n", path.c_str(), why);
        return false;
    }
    CgeoNew model;
    model.setName(std::filesystem::path(path).filename().string().c_str());
    if (model.loadOldFormatFromMemory(reinterpret_cast<unsigned char const*>(bytes.data()), bytes.size(),
                                      path.c_str()) != 0)
        return false;
    for (auto const& [table, lines] : texts) {
        std::vector<Cstring> cs;
        for (std::string const& l : lines)
            cs.push_back(Cstring(l.c_str()));
        if (!model.setPointStrings(table.c_str(), cs)) {
            std::fprintf(stderr, "model %s: table %s does not fit the points\n", path.c_str(), table.c_str());
            return false;
        }
    }
    makeParentFolders(path);
    return model.saveTree(path.c_str(), 1) == 0;
}

bool writeSgi(std::string const& path, int width, int height, int channels,
              std::vector<uint8_t> const& pixels) {
    if (pixels.size() != static_cast<size_t>(width) * height * channels) return false;
    imageFile image;
    if (!image.init(static_cast<uint16_t>(width), static_cast<uint16_t>(height),
                    static_cast<uint16_t>(channels), PIXEL_8BIT, static_cast<uint16_t>(height), 1))
        return false;
    for (int y = 0; y < height; y++)
        std::memcpy(image.getScanLineAddress(0, y, 0), &pixels[static_cast<size_t>(y) * width * channels],
                    static_cast<size_t>(width) * channels);
    makeParentFolders(path);
    return image.saveSGI(path.c_str()) != 0;
}

std::vector<std::string> generatedFileNames(std::vector<CgeneratedFile> const& list) {
    std::vector<std::string> names;
    for (CgeneratedFile const& f : list)
        names.push_back(f.file);
    return names;
}

int writeGeneratedFiles(std::vector<CgeneratedFile> const& list, std::string const& root, char const* who) {
    for (CgeneratedFile const& f : list)
        if (!f.make(root + f.file)) {
            std::fprintf(stderr, "%s: could not make %s\n", who, f.file.c_str());
            return 1;
        }
    return 0;
}
