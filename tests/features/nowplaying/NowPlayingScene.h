#pragma once

#include "MediaPlayers.h"
#include "NowPlayingRig.h"
#include "ViewProbe.h"

#include <QQuickView>
#include <QStringList>

#include <optional>

class QQuickItem;

/// The Now Playing views on black in a window, showing a real service fed
/// by fakes. Tracks are handed to the service as the shown player's state;
/// commands and seeks are written down by the fake players.
/// The service's own timers wait for `scheduler` (never advanced here), so
/// optimistic states stay; positions follow the real clock like the views.
class NowPlayingScene final {
public:
    NowPlayingScene();
    ~NowPlayingScene();
    Q_DISABLE_COPY_MOVE(NowPlayingScene)

    /// A playing track: artwork, "Harbour Lights" by "Ann" on "Tidal", 30 s into 120 s, from VLC.
    static MediaPlayerState playingTrack();
    /// The artwork: orange with a blue square in the middle third.
    static QImage artwork();

    /// Loads the views; false (with errors()) when QML fails.
    bool load(double waveGlow = 0, double statusBandHeight = 32);
    /// Shows the window at the top left and waits until it is exposed.
    bool show();
    /// The shown player reports `track`.
    void report(const std::optional<MediaPlayerState>& track);
    /// "PlayPause", "Next", "Previous" and "SetPosition <micros>" as sent.
    QStringList commands() const { return m_rig.players.commands; }

    NowPlayingService& service() { return *m_rig.service; }
    /// The applications the service looks up and opens.
    FakeApplicationCatalog& catalog() { return m_rig.catalog; }
    /// The service's timers (optimistic states expire on it).
    ManualScheduler& scheduler() { return m_rig.clock; }
    QQuickView& view() { return m_view; }
    /// The item named `name`, searched from `from` (the root when null).
    QQuickItem* item(const QString& name, QQuickItem* from = nullptr) const;
    QString errors() const { return ViewProbe::errors(m_view); }

private:
    NowPlayingRig m_rig;
    QQuickView m_view;
};
