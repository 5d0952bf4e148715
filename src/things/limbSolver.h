// Two-segment limbs: where the knee goes between a fixed base and an end point, and the
// rotations of the two segments. Each segment's first row runs along the segment, so a
// model's limb segments are authored along +x from their joints.
#pragma once

#include "support/matrix3.h"
#include "support/vector.h"

// How far a leg reaches from its hip, in segment lengths.
constexpr float kLegReach = 1.9f;

// A leg from hip to foot, segments of length L each. The foot is pulled in to kLegReach L
// from the hip when it lies farther. The knee bends towards bendHint (taken perpendicular to the
// leg); each segment's second row is perpendicular to it and to the direction towards
// faceRef. Gives h / L, h being the knee's distance from the hip-foot line (0 for a
// straight leg); 0 and nothing written for L <= 0.
float inverseKinematicsMatrices2(Cvector const& hip, Cvector& foot, Cvector const& bendHint, Cmatrix3& upper,
                                 Cmatrix3& lower, Cvector const& faceRef, float L);

// An arm from base to target without a reach limit (beyond 2 L the arm stretches straight).
// The knee bends towards bendHint; each segment's third row is the bend axis
// normalise(d x bendHint) and its second row axis x its first. Gives h / L; 0 and nothing
// written for L <= 0.
float inverseKinematicsMatrices(Cvector const& base, Cvector const& target, Cvector const& bendHint,
                                Cmatrix3& upper, Cmatrix3& lower, float L);
