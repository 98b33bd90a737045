#pragma once

#include "MediaPlayers.h"

/// Media players whose shown state the test sets; commands are written down.
class FakeMediaPlayers final : public MediaPlayers {
public:
    void startWatching() override { watching = true; }
    void stopWatching() override
    {
        watching = false;
        shown.reset();
    }
    std::optional<MediaPlayerState> current() const override { return shown; }
    QStringList players() const override { return names; }
    void setPreferences(const QString& preferred, const QStringList& ignored) override { preferences = { preferred, ignored }; }
    void playPause() override { commands << QStringLiteral("PlayPause"); }
    void next() override { commands << QStringLiteral("Next"); }
    void previous() override { commands << QStringLiteral("Previous"); }
    void setPosition(qint64 micros) override { commands << QStringLiteral("SetPosition %1").arg(micros); }

    /// Shows `state` (none with nullopt) and reports it.
    void show(const std::optional<MediaPlayerState>& state)
    {
        shown = state;
        Q_EMIT currentChanged();
    }

    bool watching = false;
    std::optional<MediaPlayerState> shown;
    QStringList names;
    std::pair<QString, QStringList> preferences;
    QStringList commands;
};
