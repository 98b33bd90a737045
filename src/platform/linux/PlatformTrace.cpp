#include "PlatformTrace.h"

Q_LOGGING_CATEGORY(lcTraceDBus, "brimwell.platform.dbus", QtInfoMsg)
Q_LOGGING_CATEGORY(lcTraceX11, "brimwell.platform.x11", QtInfoMsg)
Q_LOGGING_CATEGORY(lcTracePulse, "brimwell.platform.pulse", QtInfoMsg)
