// The contact sheet: every model of a resource tree drawn headless, one cell each, into one
// picture, for the documentation and for reviewing the content by eye.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Every model file (".geo", ".tree") under root's "species" and "tanks" folders, sorted,
// relative to root.
std::vector<std::string> findSheetModels(std::string const& root);

struct CcontactSheet {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba; // top row first
    int cell = 0, columns = 0;
};

// Draws each model into a cell of cell x cell pixels, columns to a row, on an offscreen
// context. Models with polygons are drawn textured (the first picture of the model's
// "arrays" folder) and lit; models of points alone (skeletons, obstacle spheres) as points
// joined to their parents. Empty when no context can be had or a model does not load
// (the reason on stderr).
CcontactSheet renderContactSheet(std::string const& root, std::vector<std::string> const& models, int cell,
                                 int columns);
// Writes the sheet as a PNG; false when it cannot.
bool writeSheetPng(CcontactSheet const& sheet, std::string const& path);
