#pragma once

#include "CalendarService.h"
#include "HUDController.h"
#include "IslandFeatures.h"
#include "NowPlayingService.h"

#include <QObject>
#include <QtQml/qqmlregistration.h>

/// The feature services as QML sees them; a feature that is not built in is null.
class IslandFeaturesObject final : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Created by the island's window controller")
    /// The calendar service, or null.
    Q_PROPERTY(CalendarService* calendar READ calendar CONSTANT)
    /// The Now Playing service, or null.
    Q_PROPERTY(NowPlayingService* nowPlaying READ nowPlaying CONSTANT)
    /// The HUD controller, or null.
    Q_PROPERTY(HUDController* hud READ hud CONSTANT)
public:
    explicit IslandFeaturesObject(const IslandFeatures& features, QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(IslandFeaturesObject)

    CalendarService* calendar() const { return m_features.calendar; }
    NowPlayingService* nowPlaying() const { return m_features.nowPlaying; }
    HUDController* hud() const { return m_features.hud; }

private:
    IslandFeatures m_features;
};
