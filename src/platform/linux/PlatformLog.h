#pragma once

#include "Log.h"

// The platform's categories, named for the area each serves: their lines
// carry that area's field.
Q_DECLARE_LOGGING_CATEGORY(lcPlatformDisplay) // brimwell.platform.display: Island
Q_DECLARE_LOGGING_CATEGORY(lcPlatformCalendar) // brimwell.platform.calendar: Calendar
Q_DECLARE_LOGGING_CATEGORY(lcPlatformClipboard) // brimwell.platform.clipboard: Clipboard
Q_DECLARE_LOGGING_CATEGORY(lcPlatformMedia) // brimwell.platform.media: NowPlaying
Q_DECLARE_LOGGING_CATEGORY(lcPlatformHardware) // brimwell.platform.hardware: HUD
Q_DECLARE_LOGGING_CATEGORY(lcPlatformFiles) // brimwell.platform.files: Shelf
Q_DECLARE_LOGGING_CATEGORY(lcPlatformActivities) // brimwell.platform.activities: Activities

// Traces at the boundaries to other programs, off by default; turn them on
// with QT_LOGGING_RULES="brimwell.platform.*.debug=true" (or one of them).
Q_DECLARE_LOGGING_CATEGORY(lcTraceDBus) // brimwell.platform.dbus
Q_DECLARE_LOGGING_CATEGORY(lcTraceX11) // brimwell.platform.x11
Q_DECLARE_LOGGING_CATEGORY(lcTracePulse) // brimwell.platform.pulse
