#pragma once

#include "IslandFeatures.h"

#include <QObject>

/// The feature services as QML sees them; a feature that is not built in is null.
class IslandFeaturesObject final : public QObject {
    Q_OBJECT
    /// The Now Playing service, or null.
    Q_PROPERTY(QObject* nowPlaying READ nowPlaying CONSTANT)
public:
    explicit IslandFeaturesObject(const IslandFeatures& features, QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(IslandFeaturesObject)

    QObject* nowPlaying() const;

private:
    IslandFeatures m_features;
};
