#pragma once

#include <QDBusArgument>
#include <QJsonObject>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <optional>

/// Conversions from what MPRIS players put on the bus to the adapter's
/// payload values. Players get types wrong in many ways; every function
/// accepts the odd forms that occur and rejects the rest.
namespace MprisValues {

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

/// The payload keys the program reads, from a player's state.
struct PlayerState {
    QString busName;
    QString status; // "Playing", "Paused", "Stopped" or empty while unknown
    QVariantMap metadata;
    std::optional<double> rate;
    std::optional<QString> desktopEntry;
    std::optional<qint32> processIdentifier;
    std::optional<qint64> positionMicros;
    std::optional<qint64> positionReadAtEpochMicros;
};
QJsonObject payload(const PlayerState& state, const std::optional<QString>& artworkBase64);
/// What decides between a whole payload and a diff: a different player or track.
QString trackIdentity(const PlayerState& state);

} // namespace MprisValues
