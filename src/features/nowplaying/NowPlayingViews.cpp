#include "NowPlayingViews.h"

#include "NowPlayingImageProvider.h"

#include <QQmlEngine>

#include <QtQml/qqmlextensionplugin.h>

// The module is a static library; this pulls its plugin into every program
// that shows the views. Every QML file of the module imports it, so the
// plugin registers the C++ types.
Q_IMPORT_QML_PLUGIN(Brimwell_NowPlayingPlugin)

namespace NowPlayingViews {

void addImageProvider(QQmlEngine& engine, NowPlayingService* service)
{
    engine.addImageProvider(imageProviderID, new NowPlayingImageProvider(service));
}

} // namespace NowPlayingViews
