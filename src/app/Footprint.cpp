#include "Footprint.h"

#include <QQuickWindow>
#include <QSGRendererInterface>

namespace Footprint {

QString chooseRenderer()
{
    for (const char* name : { "QT_QUICK_BACKEND", "QMLSCENE_DEVICE", "QSG_RHI_BACKEND" }) {
        if (!qEnvironmentVariableIsEmpty(name))
            return QStringLiteral("the backend chosen by %1=%2").arg(QLatin1String(name), qEnvironmentVariable(name));
    }
    // The island is small, flat and mostly still. The software renderer
    // repaints only what changed and needs no GL context, so it costs a
    // fraction of the memory and CPU of an RHI backend, above all where GL
    // is itself software (llvmpipe).
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    return QStringLiteral("the software renderer");
}

} // namespace Footprint
