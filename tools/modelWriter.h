// Model writing for the resource tools: points with named attributes, polygons and groups,
// written as the flat geometry file the engine reads, plus SGI pictures and a fixed-seed
// random source, so every generated resource has the same bytes on every build.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <utility>
#include <string>
#include <vector>

#include "graphics/geoFile.h"

// A small fixed-seed generator.
struct Crng {
    uint64_t state;
    double next(); // [0, 1)
    double range(double lo, double hi) { return lo + (hi - lo) * next(); }
};

// Smooth value noise on a tiling lattice of period cells (period 0: no tiling).
double latticeNoise(double x, double y, uint32_t seed, int period);
// Sum of octaves of latticeNoise, about -1..1.
double fractalNoise(double x, double y, uint32_t seed, int octaves, int period);

class CmodelWriter {
  public:
    // Declares an attribute of size floats; all attributes come before the first point.
    void attrib(char const* name, int size);
    // Appends a point: its values in attribute order (missing trailing values are 0).
    // Returns the point's index.
    int point(std::initializer_list<float> values);
    // Sets value k of attribute name of point p.
    void set(int p, char const* name, int k, float value);
    // Appends a polygon and files it under the primitive group (made on first use).
    int polygon(std::vector<int> const& points, char const* group);
    // Adds p to the point group (made on first use).
    void pointGroup(char const* group, int p);
    int points() const { return geo.points; }
    // Gives every point a text in the table (one per point; empty texts do nothing).
    void pointTexts(char const* table, std::vector<std::string> const& texts);
    // Writes the geometry file; false (reason on stderr) when it cannot. Text tables need
    // the binary tree form.
    bool write(std::string const& path) const;
    // Writes the model as a binary variable tree, text tables included.
    bool writeTree(std::string const& path) const;

    CgeoFileContents geo;
    std::vector<std::pair<std::string, std::vector<std::string>>> texts;

  private:
    int offsetOf(char const* name, int& size) const;
    static CgeoFileGroup& groupNamed(std::vector<CgeoFileGroup>& groups, char const* name);
};

// Writes 8-bit pixels (rows bottom first, channels interleaved) as an SGI file; false when
// it cannot.
bool writeSgi(std::string const& path, int width, int height, int channels,
              std::vector<uint8_t> const& pixels);
// Creates the folders above path.
void makeParentFolders(std::string const& path);

// A generated resource: its path under the resource root and what writes it there.
struct CgeneratedFile {
    std::string file;
    std::function<bool(std::string const& path)> make;
};
// The paths of the list, relative to the resource root.
std::vector<std::string> generatedFileNames(std::vector<CgeneratedFile> const& list);
// Writes every file of the list under root (which ends with "/"); 0 done, 1 when one could not
// be made (named on stderr after who).
int writeGeneratedFiles(std::vector<CgeneratedFile> const& list, std::string const& root, char const* who);
