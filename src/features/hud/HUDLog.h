#pragma once

#include "Log.h"

/// This area's log category: brimwell.hud, "HUD" in its lines.
Q_DECLARE_LOGGING_CATEGORY(lcHUD)
