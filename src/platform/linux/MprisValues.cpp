#include "MprisValues.h"

#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QStringList>

#include <cmath>

namespace MprisValues {

namespace {

QVariant unwrapped(QVariant value)
{
    // Some players nest variants; take the innermost value.
    for (int depth = 0; depth < 4 && value.userType() == qMetaTypeId<QDBusVariant>(); ++depth)
        value = qvariant_cast<QDBusVariant>(value).variant();
    return value;
}

const QString prefix = QStringLiteral("org.mpris.MediaPlayer2.");

} // namespace

QVariantMap toMap(const QVariant& raw)
{
    const QVariant value = unwrapped(raw);
    if (value.userType() == qMetaTypeId<QDBusArgument>()) {
        const QDBusArgument argument = qvariant_cast<QDBusArgument>(value);
        // Reading a dictionary of any other signature as a{sv} crashes inside
        // libdbus; players that build their metadata carelessly send a{ss}.
        if (argument.currentType() != QDBusArgument::MapType || argument.currentSignature() != QLatin1String("a{sv}"))
            return {};
        QVariantMap map;
        argument >> map;
        return map;
    }
    if (value.typeId() == QMetaType::QVariantMap)
        return value.toMap();
    return {};
}

std::optional<QString> text(const QVariant& raw)
{
    const QVariant value = unwrapped(raw);
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    const QString result = value.toString();
    if (result.trimmed().isEmpty())
        return std::nullopt;
    return result;
}

std::optional<QString> joinedTexts(const QVariant& raw)
{
    const QVariant value = unwrapped(raw);
    QStringList parts;
    if (value.typeId() == QMetaType::QStringList) {
        parts = value.toStringList();
    } else if (value.typeId() == QMetaType::QString) {
        parts << value.toString();
    } else if (value.userType() == qMetaTypeId<QDBusArgument>()) {
        const QDBusArgument argument = qvariant_cast<QDBusArgument>(value);
        if (argument.currentType() == QDBusArgument::ArrayType && argument.currentSignature() == QLatin1String("as"))
            argument >> parts;
    }
    QStringList kept;
    for (const QString& part : std::as_const(parts)) {
        if (!part.trimmed().isEmpty())
            kept << part.trimmed();
    }
    if (kept.isEmpty())
        return std::nullopt;
    return kept.join(QStringLiteral(", "));
}

std::optional<qint64> integer(const QVariant& raw)
{
    const QVariant value = unwrapped(raw);
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::UChar:
        return value.toLongLong();
    case QMetaType::ULongLong: {
        const qulonglong v = value.toULongLong();
        if (v > qulonglong(std::numeric_limits<qint64>::max()))
            return std::nullopt;
        return qint64(v);
    }
    case QMetaType::Double: {
        const double v = value.toDouble();
        if (!std::isfinite(v) || std::abs(v) > 9e18)
            return std::nullopt;
        return qint64(std::llround(v));
    }
    default:
        return std::nullopt;
    }
}

std::optional<double> number(const QVariant& raw)
{
    const QVariant value = unwrapped(raw);
    if (value.typeId() == QMetaType::Double) {
        const double v = value.toDouble();
        return std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
    }
    if (const auto whole = integer(value))
        return double(*whole);
    return std::nullopt;
}

std::optional<QString> trackId(const QVariant& raw)
{
    const QVariant value = unwrapped(raw);
    if (value.userType() == qMetaTypeId<QDBusObjectPath>()) {
        const QString path = qvariant_cast<QDBusObjectPath>(value).path();
        return path.isEmpty() ? std::nullopt : std::optional<QString>(path);
    }
    return text(value);
}

QString busNameSuffix(const QString& busName)
{
    return busName.startsWith(prefix) ? busName.mid(prefix.size()) : busName;
}

bool isPlayerBusName(const QString& busName)
{
    return busName.startsWith(prefix) && busName.size() > prefix.size()
        && busName != QLatin1String("org.mpris.MediaPlayer2.playerctld");
}

QJsonObject payload(const PlayerState& state, const std::optional<QString>& artworkBase64)
{
    QJsonObject out;
    if (state.status.isEmpty() || state.status == QLatin1String("Stopped"))
        return out;
    const QVariantMap& m = state.metadata;
    if (const auto title = text(m.value(QStringLiteral("xesam:title"))))
        out.insert(QStringLiteral("title"), *title);
    if (const auto artist = joinedTexts(m.value(QStringLiteral("xesam:artist"))))
        out.insert(QStringLiteral("artist"), *artist);
    if (const auto album = text(m.value(QStringLiteral("xesam:album"))))
        out.insert(QStringLiteral("album"), *album);
    if (artworkBase64)
        out.insert(QStringLiteral("artworkData"), *artworkBase64);
    out.insert(QStringLiteral("playing"), state.status == QLatin1String("Playing"));
    const QString identifier = state.desktopEntry.value_or(busNameSuffix(state.busName));
    out.insert(QStringLiteral("bundleIdentifier"), identifier);
    if (state.processIdentifier)
        out.insert(QStringLiteral("processIdentifier"), *state.processIdentifier);
    if (const auto length = integer(m.value(QStringLiteral("mpris:length"))); length && *length > 0)
        out.insert(QStringLiteral("durationMicros"), double(*length));
    if (state.positionMicros) {
        out.insert(QStringLiteral("elapsedTimeMicros"), double(std::max<qint64>(*state.positionMicros, 0)));
        if (state.positionReadAtEpochMicros)
            out.insert(QStringLiteral("timestampEpochMicros"), double(*state.positionReadAtEpochMicros));
    }
    out.insert(QStringLiteral("playbackRate"), state.rate.value_or(1.0));
    return out;
}

QString trackIdentity(const PlayerState& state)
{
    const QVariantMap& m = state.metadata;
    const QString track = trackId(m.value(QStringLiteral("mpris:trackid"))).value_or(QString());
    return state.busName + QLatin1Char('\n') + track + QLatin1Char('\n')
        + text(m.value(QStringLiteral("xesam:title"))).value_or(QString()) + QLatin1Char('\n')
        + joinedTexts(m.value(QStringLiteral("xesam:artist"))).value_or(QString()) + QLatin1Char('\n')
        + text(m.value(QStringLiteral("xesam:album"))).value_or(QString());
}

} // namespace MprisValues
