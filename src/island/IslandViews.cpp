#include "IslandViews.h"

#include "IslandShape.h"
#include "SymbolCatalog.h"

#include <QQuickItem>
#include <QRegion>

#include <QtQml/qqmlextensionplugin.h>

// The module is a static library; this pulls its plugin into every program
// that links the views.
Q_IMPORT_QML_PLUGIN(Brimwell_IslandPlugin)

namespace IslandViews {

void initialize()
{
    SymbolCatalog::loadFont();
}

QUrl rootViewUrl()
{
    return QUrl(QStringLiteral("qrc:/qt-project.org/imports/Brimwell/Island/IslandRootView.qml"));
}

QRegion outline(QQuickItem* root)
{
    if (!root)
        return {};
    const auto* viewModel = root->property("viewModel").value<QObject*>();
    auto* shape = root->property("islandShape").value<IslandShape*>();
    const QRectF rect = root->property("islandRect").toRectF();
    if (!shape || rect.isEmpty() || (viewModel && !viewModel->property("hasLayout").toBool()))
        return {};
    const QRectF inWindow = rect.translated(root->mapToScene(QPointF(0, 0)));
    return QRegion(shape->path(inWindow).toFillPolygon().toPolygon(), Qt::WindingFill);
}

} // namespace IslandViews
