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

QString playerName(const QString& busName)
{
    QString name = busNameSuffix(busName);
    const qsizetype instance = name.indexOf(QLatin1String(".instance"));
    if (instance > 0)
        name.truncate(instance);
    return name;
}

namespace {

bool flag(const QVariant& raw)
{
    const QVariant value = unwrapped(raw);
    return value.typeId() == QMetaType::Bool && value.toBool();
}

} // namespace

Applied applyPlayerProperties(
    PlayerState& state, const QVariantMap& properties, bool whole, const QDateTime& now, const QSet<QString>& keep)
{
    const QString oldStatus = state.status;
    const QString oldTrack = trackIdentity(state);
    Applied applied;
    const auto has = [&](const char* key) {
        if (keep.contains(QLatin1String(key)))
            return false;
        const bool present = properties.contains(QLatin1String(key));
        applied.touched = applied.touched || present || whole;
        return present || whole;
    };
    const auto value = [&](const char* key) { return properties.value(QLatin1String(key)); };

    if (has("PlaybackStatus"))
        state.status = text(value("PlaybackStatus")).value_or(QString());
    if (has("Metadata"))
        state.metadata = toMap(value("Metadata"));
    if (has("Rate"))
        state.rate = number(value("Rate"));
    if (has("CanGoNext"))
        state.canGoNext = flag(value("CanGoNext"));
    if (has("CanGoPrevious"))
        state.canGoPrevious = flag(value("CanGoPrevious"));
    if (has("CanPlay"))
        state.canPlay = flag(value("CanPlay"));
    if (has("CanPause"))
        state.canPause = flag(value("CanPause"));
    if (has("CanSeek"))
        state.canSeek = flag(value("CanSeek"));
    // Players do not signal the position as it moves; a value that does
    // arrive is as good as a read.
    if (properties.contains(QLatin1String("Position")) && !keep.contains(QLatin1String("Position"))) {
        state.positionMicros = integer(value("Position"));
        state.positionReadAt = state.positionMicros ? std::optional<QDateTime>(now) : std::nullopt;
        applied.touched = true;
    }
    applied.statusChanged = state.status != oldStatus;
    applied.trackChanged = trackIdentity(state) != oldTrack;
    return applied;
}

MediaPlayerState snapshot(const PlayerState& state)
{
    // No view shows more of a text; a player that sends megabytes costs no layout time.
    constexpr qsizetype longestText = 500;
    const auto shortened = [](const std::optional<QString>& value) -> std::optional<QString> {
        const QString kept = value ? value->left(longestText).trimmed() : QString();
        return kept.isEmpty() ? std::nullopt : std::optional<QString>(kept);
    };
    MediaPlayerState out;
    out.player = playerName(state.busName);
    out.isPlaying = state.status == QLatin1String("Playing");
    if (state.status.isEmpty() || state.status == QLatin1String("Stopped"))
        return out;
    const QVariantMap& m = state.metadata;
    out.title = shortened(text(m.value(QStringLiteral("xesam:title")))).value_or(QString());
    out.artist = shortened(joinedTexts(m.value(QStringLiteral("xesam:artist"))));
    out.album = shortened(text(m.value(QStringLiteral("xesam:album"))));
    out.artUrl = text(m.value(QStringLiteral("mpris:artUrl")));
    out.desktopEntry = state.desktopEntry;
    out.processIdentifier = state.processIdentifier;
    if (const auto length = integer(m.value(QStringLiteral("mpris:length"))); length && *length > 0)
        out.lengthMicros = length;
    if (state.positionMicros) {
        out.positionMicros = std::max<qint64>(*state.positionMicros, 0);
        out.positionReadAt = state.positionReadAt;
    }
    out.rate = state.rate.value_or(1.0);
    out.canGoNext = state.canGoNext;
    out.canGoPrevious = state.canGoPrevious;
    out.canPlay = state.canPlay;
    out.canPause = state.canPause;
    out.canSeek = state.canSeek;
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
