#pragma once

#include "Log.h"

/// This area's log category: brimwell.island, "Island" in its lines.
Q_DECLARE_LOGGING_CATEGORY(lcIsland)
