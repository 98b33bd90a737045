#include "IslandFeaturesObject.h"

#include "NowPlayingService.h"

#include <QtQml/qqmlextensionplugin.h>

// The feature views are static QML modules; importing their plugins here
// makes them available to the island's scene.
Q_IMPORT_QML_PLUGIN(Brimwell_NowPlayingPlugin)

IslandFeaturesObject::IslandFeaturesObject(const IslandFeatures& features, QObject* parent)
    : QObject(parent)
    , m_features(features)
{
}

QObject* IslandFeaturesObject::nowPlaying() const
{
    return m_features.nowPlaying;
}
