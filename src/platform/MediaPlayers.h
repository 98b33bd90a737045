#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

/// What the shown media player reports, typed. Texts are non-empty when
/// present; numbers are what the player sent, already checked for type.
struct MediaPlayerState {
    /// The player's name: its bus name without "org.mpris.MediaPlayer2."
    /// and without an ".instance…" suffix ("vlc", "firefox").
    QString player;
    /// Empty while the player reports no title.
    QString title;
    std::optional<QString> artist;
    std::optional<QString> album;
    /// The cover's address as the player gave it (file, https or data).
    std::optional<QString> artUrl;
    bool isPlaying = false;
    /// The desktop entry's name without ".desktop", when the player says.
    std::optional<QString> desktopEntry;
    std::optional<qint32> processIdentifier;
    std::optional<qint64> lengthMicros;
    /// The position as last reported, and when that was.
    std::optional<qint64> positionMicros;
    std::optional<QDateTime> positionReadAt;
    double rate = 1.0;
    bool canGoNext = false;
    bool canGoPrevious = false;
    bool canPlay = false;
    bool canPause = false;
    bool canSeek = false;

    friend bool operator==(const MediaPlayerState&, const MediaPlayerState&) = default;
};

/// The session's media players: which one is shown, what it reports, and
/// the commands sent to it. Main thread only; nothing here waits on a player.
class MediaPlayers : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    /// Starts following the players; currentChanged() reports what is found.
    virtual void startWatching() = 0;
    /// Forgets every player without reporting.
    virtual void stopWatching() = 0;
    /// The shown player's state; absent when none is shown.
    virtual std::optional<MediaPlayerState> current() const = 0;
    /// The names of the players present, sorted, each once, ignored ones included.
    virtual QStringList players() const = 0;
    /// `preferred` is shown whenever it plays (empty: no preference); players
    /// named in `ignored` are never shown nor controlled.
    virtual void setPreferences(const QString& preferred, const QStringList& ignored) = 0;

    virtual void playPause() = 0;
    virtual void next() = 0;
    virtual void previous() = 0;
    /// Moves the shown player to `micros` into its track.
    virtual void setPosition(qint64 micros) = 0;

Q_SIGNALS:
    void currentChanged();
    void playersChanged();
};
