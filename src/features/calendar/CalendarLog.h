#pragma once

#include "Log.h"

/// This area's log category: brimwell.calendar, "Calendar" in its lines.
Q_DECLARE_LOGGING_CATEGORY(lcCalendar)
