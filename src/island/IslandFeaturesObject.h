#pragma once

#include "IslandFeatures.h"
#include "NowPlayingService.h"

#include <QObject>
#include <QtQml/qqmlregistration.h>

/// The feature services as QML sees them; a feature that is not built in is null.
class IslandFeaturesObject final : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Created by the island's window controller")
    /// The Now Playing service, or null.
    Q_PROPERTY(NowPlayingService* nowPlaying READ nowPlaying CONSTANT)
public:
    explicit IslandFeaturesObject(const IslandFeatures& features, QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(IslandFeaturesObject)

    NowPlayingService* nowPlaying() const { return m_features.nowPlaying; }

private:
    IslandFeatures m_features;
};
