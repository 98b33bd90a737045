#include "IslandFeaturesObject.h"

IslandFeaturesObject::IslandFeaturesObject(const IslandFeatures& features, QObject* parent)
    : QObject(parent)
    , m_features(features)
{
}
