#pragma once

#include "ActivityService.h"
#include "BatteryService.h"
#include "CalendarService.h"
#include "ClipboardService.h"
#include "HUDController.h"
#include "IslandFeatures.h"
#include "NowPlayingService.h"
#include "ShelfService.h"

#include <QObject>
#include <QtQml/qqmlregistration.h>

/// The feature services as QML sees them; a feature that is not built in is null.
class IslandFeaturesObject final : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Created by the island's window controller")
    /// The battery service, or null.
    Q_PROPERTY(BatteryService* battery READ battery CONSTANT FINAL)
    /// The calendar service, or null.
    Q_PROPERTY(CalendarService* calendar READ calendar CONSTANT FINAL)
    /// The Now Playing service, or null.
    Q_PROPERTY(NowPlayingService* nowPlaying READ nowPlaying CONSTANT FINAL)
    /// The clipboard history, or null.
    Q_PROPERTY(ClipboardService* clipboard READ clipboard CONSTANT FINAL)
    /// The HUD controller, or null.
    Q_PROPERTY(HUDController* hud READ hud CONSTANT FINAL)
    /// The shelf, or null.
    Q_PROPERTY(ShelfService* shelf READ shelf CONSTANT FINAL)
    /// The live activities, or null.
    Q_PROPERTY(ActivityService* activities READ activities CONSTANT FINAL)
public:
    explicit IslandFeaturesObject(const IslandFeatures& features, QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(IslandFeaturesObject)

    BatteryService* battery() const { return m_features.battery; }
    CalendarService* calendar() const { return m_features.calendar; }
    NowPlayingService* nowPlaying() const { return m_features.nowPlaying; }
    HUDController* hud() const { return m_features.hud; }
    ClipboardService* clipboard() const { return m_features.clipboard; }
    ShelfService* shelf() const { return m_features.shelf; }
    ActivityService* activities() const { return m_features.activities; }

private:
    IslandFeatures m_features;
};
