#pragma once

#include "Log.h"

/// This area's log category: brimwell.activities, "Activities" in its lines.
Q_DECLARE_LOGGING_CATEGORY(lcActivities)
