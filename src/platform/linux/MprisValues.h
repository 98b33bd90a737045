#pragma once

#include "MediaPlayers.h"

#include <QDBusArgument>
#include <QDateTime>
#include <QSet>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <optional>

/// Conversions from what MPRIS players put on the bus to typed values. Players get types wrong in many ways; every function
/// accepts the odd forms that occur and rejects the rest.
namespace MprisValues {

/// The object every player serves, and the interfaces read from it.
inline const QString objectPath = QStringLiteral("/org/mpris/MediaPlayer2");
inline const QString rootInterface = QStringLiteral("org.mpris.MediaPlayer2");
inline const QString playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
inline const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

/// A variant that may still hold its D-Bus marshalling (a{sv} inside a
/// variant arrives as a QDBusArgument), as a plain map; empty when it is none.
QVariantMap toMap(const QVariant& value);
/// A text value; absent for other types and empty text.
std::optional<QString> text(const QVariant& value);
/// A list of texts (or a single text) joined with ", "; absent when empty.
std::optional<QString> joinedTexts(const QVariant& value);
/// A whole number of any integer or floating D-Bus type.
std::optional<qint64> integer(const QVariant& value);
/// A floating or integer number.
std::optional<double> number(const QVariant& value);
/// mpris:trackid as an object path or a text.
std::optional<QString> trackId(const QVariant& value);
/// "org.mpris.MediaPlayer2.vlc.instance42" gives "vlc.instance42".
QString busNameSuffix(const QString& busName);
/// True for names to follow: MPRIS players other than the playerctld proxy.
bool isPlayerBusName(const QString& busName);

/// "org.mpris.MediaPlayer2.firefox.instance_1_23" gives "firefox": what the
/// user calls the player, the same for each of a browser's instances.
QString playerName(const QString& busName);

/// One player's Player interface as mirrored from its properties.
struct PlayerState {
    QString busName;
    QString status; // "Playing", "Paused", "Stopped" or empty while unknown
    QVariantMap metadata;
    std::optional<double> rate;
    bool canGoNext = false;
    bool canGoPrevious = false;
    bool canPlay = false;
    bool canPause = false;
    bool canSeek = false;
    std::optional<QString> desktopEntry;
    std::optional<qint32> processIdentifier;
    std::optional<qint64> positionMicros;
    std::optional<QDateTime> positionReadAt;
};

/// What applying a property map changed.
struct Applied {
    bool touched = false;
    bool statusChanged = false;
    bool trackChanged = false;
};
/// Applies Player properties from GetAll (`whole`: a missing value becomes
/// unknown) or PropertiesChanged (only the values present change). `now`
/// stamps a Position read; properties named in `keep` are left as they are.
Applied applyPlayerProperties(
    PlayerState& state, const QVariantMap& properties, bool whole, const QDateTime& now, const QSet<QString>& keep = {});
/// The state as the program reads it; a stopped or unknown player has no track.
MediaPlayerState snapshot(const PlayerState& state);
/// What tells one track from the next: the player, the track id and the texts.
QString trackIdentity(const PlayerState& state);

} // namespace MprisValues
