#pragma once

#include <QLoggingCategory>

// Traces at the boundaries to other programs, off by default; turn them on
// with QT_LOGGING_RULES="brimwell.platform.*.debug=true" (or one of them).
Q_DECLARE_LOGGING_CATEGORY(lcTraceDBus) // brimwell.platform.dbus
Q_DECLARE_LOGGING_CATEGORY(lcTraceX11) // brimwell.platform.x11
Q_DECLARE_LOGGING_CATEGORY(lcTracePulse) // brimwell.platform.pulse
