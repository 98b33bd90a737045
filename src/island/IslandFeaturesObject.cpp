#include "IslandFeaturesObject.h"

#include "NowPlayingService.h"

IslandFeaturesObject::IslandFeaturesObject(const IslandFeatures& features, QObject* parent)
    : QObject(parent)
    , m_features(features)
{
}

QObject* IslandFeaturesObject::nowPlaying() const
{
    return m_features.nowPlaying;
}
