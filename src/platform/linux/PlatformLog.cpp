#include "PlatformLog.h"

BRIMWELL_LOGGING_CATEGORY(lcPlatformDisplay, "brimwell.platform.display", "Island")
BRIMWELL_LOGGING_CATEGORY(lcPlatformCalendar, "brimwell.platform.calendar", "Calendar")
BRIMWELL_LOGGING_CATEGORY(lcPlatformClipboard, "brimwell.platform.clipboard", "Clipboard")
BRIMWELL_LOGGING_CATEGORY(lcPlatformMedia, "brimwell.platform.media", "NowPlaying")
BRIMWELL_LOGGING_CATEGORY(lcPlatformHardware, "brimwell.platform.hardware", "HUD")
BRIMWELL_LOGGING_CATEGORY(lcPlatformFiles, "brimwell.platform.files", "Shelf")
BRIMWELL_LOGGING_CATEGORY(lcPlatformActivities, "brimwell.platform.activities", "Activities")
BRIMWELL_LOGGING_CATEGORY(lcTraceDBus, "brimwell.platform.dbus", "Platform")
BRIMWELL_LOGGING_CATEGORY(lcTraceX11, "brimwell.platform.x11", "Platform")
BRIMWELL_LOGGING_CATEGORY(lcTracePulse, "brimwell.platform.pulse", "Platform")
