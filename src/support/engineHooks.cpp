#include "support/engineHooks.h"

CengineHooks engineHooks;
