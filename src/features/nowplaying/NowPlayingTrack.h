#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

/// One snapshot of the item a media player reports, with enough timing to
/// extrapolate the position later without asking the player again. Builders
/// keep `title` non-empty and trimmed and `duration`, when present, above 0.
struct NowPlayingTrack {
    QString title;
    std::optional<QString> artist;
    std::optional<QString> album;
    /// Where the cover is: a file, https or data: address.
    std::optional<QString> artworkUrl;
    bool isPlaying = false;
    /// The player's name ("vlc"), as the settings name it.
    QString player;
    /// The desktop entry of the playing application, without ".desktop".
    std::optional<QString> desktopEntry;
    std::optional<qint32> processIdentifier;
    /// Seconds.
    std::optional<double> duration;
    /// Seconds, as it was at `elapsedTimestamp`.
    std::optional<double> elapsedTime;
    std::optional<QDateTime> elapsedTimestamp;
    /// 0 means the position does not advance.
    double playbackRate = 1.0;

    /// Every field takes part, the timing ones included.
    bool operator==(const NowPlayingTrack& other) const = default;

    /// The position in seconds at `now`, extrapolated while playing and
    /// clamped to [0, duration]; absent without `elapsedTime`.
    std::optional<double> elapsed(const QDateTime& now) const;
};
