#include "Footprint.h"

#include <QMap>
#include <QQuickWindow>

#include <gtest/gtest.h>

namespace {

// The user's choice of scene graph backend always wins over ours.
TEST(FootprintTest, SoftwareRendererUnlessTheUserChoseABackend)
{
    const char* names[] = { "QT_QUICK_BACKEND", "QMLSCENE_DEVICE", "QSG_RHI_BACKEND" };
    QMap<QByteArray, QByteArray> saved;
    for (const char* name : names) {
        if (qEnvironmentVariableIsSet(name))
            saved.insert(name, qgetenv(name));
        qunsetenv(name);
    }
    const QString before = QQuickWindow::sceneGraphBackend();
    QQuickWindow::setSceneGraphBackend(QString());

    for (const char* name : names) {
        qputenv(name, "opengl");
        EXPECT_EQ(Footprint::chooseRenderer(), QStringLiteral("the backend chosen by %1=opengl").arg(QLatin1String(name)));
        EXPECT_EQ(QQuickWindow::sceneGraphBackend(), QString()) << name;
        qunsetenv(name);
    }
    EXPECT_EQ(Footprint::chooseRenderer(), "the software renderer");
    EXPECT_EQ(QQuickWindow::sceneGraphBackend(), "software");

    QQuickWindow::setSceneGraphBackend(before);
    for (auto it = saved.cbegin(); it != saved.cend(); ++it)
        qputenv(it.key().constData(), it.value());
}

} // namespace
