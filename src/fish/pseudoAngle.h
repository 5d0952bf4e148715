// A cheap angle for steering: the direction of (x, y), y ahead and x to the right, as a
// heading that equals radians straight ahead, to either side and straight behind, and is
// close to them on the diagonals (about +-pi/4 ahead, +-3pi/4 behind). Its length is an
// octagonal one: the larger component plus a third of the smaller.
#pragma once

// The heading of (x, y) (positive to the right) and its octagonal length in distance.
float vectToAngleAndDist(float x, float y, float& distance);
// The same heading, with 1 / length in inverseDistance (0 for the zero vector).
float vectToAngleAndInvDist(float x, float y, float& inverseDistance);
