#include "IslandViews.h"

#include "IslandOutlineReporter.h"
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
    const auto* reporter = root ? root->findChild<IslandOutlineReporter*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    return reporter ? reporter->outline() : QRegion();
}

} // namespace IslandViews
