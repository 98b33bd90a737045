#include "SettingsViews.h"

#include <QtQml/qqmlextensionplugin.h>

// The module is a static library; this pulls its plugin into every program
// that links the views.
Q_IMPORT_QML_PLUGIN(Brimwell_SettingsPlugin)

namespace SettingsViews {

QUrl settingsViewUrl()
{
    return QUrl(QStringLiteral("qrc:/qt-project.org/imports/Brimwell/Settings/SettingsView.qml"));
}

} // namespace SettingsViews
