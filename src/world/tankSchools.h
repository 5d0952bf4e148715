// How a tank reaches its fish schools. Schools live in the fish layer above the tank, which
// installs this at start-up; without it a tank makes no schools.
#pragma once

#include "world/worldHooks.h"

class Ctank;
class Cvariable;

class CtankSchoolAccess {
  public:
    virtual ~CtankSchoolAccess() = default;
    // A new school called name, placed first in the tank's school directory; null when
    // none can be made.
    virtual Cvariable* makeSchool(Ctank& tank, char const* name) = 0;
    // The fish joins the school.
    virtual void joinSchool(Cvariable* school, Cvariable* fish) = 0;
    // One frame of the school.
    virtual void updateSchool(Cvariable* school) = 0;
};

// The fish layer's access, a slot of worldHooks.
inline CtankSchoolAccess*& tankSchoolAccess = worldHooks.schoolAccess;
