// The scenery of the default tank: every generated model, picture and data array, written
// into a resource tree. Fixed seeds throughout: the same bytes on every run.
#pragma once

#include <string>
#include <vector>

// The files writeScenery makes, relative to the resource tree's root.
std::vector<std::string> const& sceneryFiles();
// Writes every scenery file under root (which ends with "/"); 0 done, 1 when a file could
// not be made or written (named on stderr).
int writeScenery(std::string const& root);
