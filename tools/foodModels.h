// Food and waste: the floating food's particles (flakes and pellets, one joint each), the
// food shaker, the fish's waste strand with its cloth, and their pictures. Fixed seeds: the
// same bytes on every run.
#pragma once

#include <string>
#include <vector>

// Particles (joints) of one floating food thing.
constexpr int kFoodParticles = 40;
// Links of the hanging waste strand; each falling half has half of them.
constexpr int kStrandLinks = 8;

// The files writeFood makes, relative to the resource tree's root.
std::vector<std::string> const& foodFiles();
// Writes every food file under root (which ends with "/"); 0 done, 1 when a file could not
// be made or written (named on stderr).
int writeFood(std::string const& root);
