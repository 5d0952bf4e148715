// Shared models and bitmap fonts requested by name.
//
// A model is loaded once and kept in the shared resource tree at a path made from its
// name; every request after the first shares it and raises its use count. The model and
// font kinds themselves live with the renderer and the interface, which fill in the
// modelLoader and fontLoader slots of engineHooks.
#pragma once

#include "support/mystring.h"
#include "variables/variableLinks.h"

class CfishFont;

// The shared model named name, looked up at "speciesScripts/<name>" and, with a folder,
// "resources/<folder>/<name>" in the tree, then as "<name>" and "<folder>/<name>" on
// disk. Null when it is neither found nor loaded; a model that failed to load is not kept.
CmanagedResourceVar* requestGeo2(char const* name, char const* folder);
// A new font owned by the caller; null with the exit reason "Couldn't load font".
CfishFont* requestFont(Cstring name);
