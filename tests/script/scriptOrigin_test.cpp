// Confinement of network-origin scripts to the data folder.
#include <gtest/gtest.h>

#include "script/scriptOrigin.h"
#include "support/globals.h"
#include "testSupport.h"

namespace {} // namespace
