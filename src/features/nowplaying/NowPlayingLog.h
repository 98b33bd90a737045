#pragma once

#include "Log.h"

/// This area's log category: brimwell.nowplaying, "NowPlaying" in its lines.
Q_DECLARE_LOGGING_CATEGORY(lcNowPlaying)
