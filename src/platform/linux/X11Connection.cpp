#include "X11Connection.h"

#include "PlatformLog.h"

#include <QGuiApplication>
#include <QSet>

xcb_connection_t* x11Connection(const char* purpose)
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 && x11->connection())
        return x11->connection();
    static QSet<QByteArray> reported;
    if (!reported.contains(purpose)) {
        reported.insert(purpose);
        qCWarning(lcPlatformDisplay, "X11 is not available on the %s platform; skipping %s",
            qUtf8Printable(QGuiApplication::platformName()), purpose);
    }
    return nullptr;
}
