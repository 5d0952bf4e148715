// The control panel's generated resources: its model (a pool of flat quads, one material
// each), the quads' materials and the interface pictures the pane scripts name.
//
// The model "species/gui_panel/gui_panel.geo": point 0 is an anchor; then four points per
// quad, quad i at points 4i + 1 to 4i + 4 in the corner order (min x, min y), (max x,
// min y), (min x, max y), (max x, max y), each with the attribute "panel" = i; then the
// eight points of the background frame, "panel" = -2, the inner corners and then the outer
// corners in the same corner order. Quad i is drawn by material "ib<i>", the frame by
// "panel_bg". Points carry "pos", "uv", "Cd" (four floats) and "panel"; there is no
// skeleton, so the panel writes the points' positions itself.
#pragma once

#include <string>
#include <vector>

// Quads in the pool; quad 0 is the panel's background.
constexpr int kPanelQuads = 80;

// The files writePanelResources makes, relative to the resource tree's root.
std::vector<std::string> const& panelResourceFiles();
// Writes every panel resource under root (which ends with "/"); 0 done, 1 when a file
// could not be made (named on stderr).
int writePanelResources(std::string const& root);
