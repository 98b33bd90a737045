// The watcher's handling of what players put on the bus: a player's
// properties (PlaybackStatus, Metadata, Rate, Position, the Can* flags) of
// any D-Bus shape, sent through the session bus to ourselves so they arrive
// demarshalled as a player's do, applied whole and as a change, and turned
// into the state the program reads.

#include "FuzzApplication.h"
#include "MprisValues.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

using TextMap = QMap<QString, QString>;
using NumberMap = QMap<QString, int>;
Q_DECLARE_METATYPE(TextMap)
Q_DECLARE_METATYPE(NumberMap)

namespace {

const QString objectPath = QStringLiteral("/fuzz");
const QString interfaceName = QStringLiteral("com.larkmoor.Brimwell.Fuzz");

QString text(FuzzedDataProvider& in)
{
    return QString::fromUtf8(QByteArray::fromStdString(in.ConsumeRandomLengthString(48)));
}

QString key(FuzzedDataProvider& in)
{
    static const char* const known[] = { "xesam:title", "xesam:artist", "xesam:album", "mpris:length", "mpris:artUrl",
        "mpris:trackid", "xesam:albumArtist", "xesam:url" };
    if (in.ConsumeBool())
        return QLatin1String(known[in.ConsumeIntegralInRange<size_t>(0, std::size(known) - 1)]);
    return text(in);
}

QString path(FuzzedDataProvider& in)
{
    QString out;
    for (int n = in.ConsumeIntegralInRange(0, 3); n > 0; --n)
        out += QStringLiteral("/%1%2").arg(QChar(u'a' + in.ConsumeIntegralInRange(0, 25))).arg(in.ConsumeIntegral<uint8_t>());
    return out.isEmpty() ? QStringLiteral("/") : out;
}

QVariant value(FuzzedDataProvider& in, int depth)
{
    switch (in.ConsumeIntegralInRange(0, depth >= 4 ? 10 : 16)) {
    case 0:
        return text(in);
    case 1:
        return in.ConsumeIntegral<qint32>();
    case 2:
        return in.ConsumeIntegral<quint32>();
    case 3:
        return QVariant::fromValue(in.ConsumeIntegral<qint64>());
    case 4:
        return QVariant::fromValue(in.ConsumeIntegral<quint64>());
    case 5:
        return in.ConsumeFloatingPoint<double>();
    case 6:
        return in.ConsumeBool();
    case 7:
        return QVariant::fromValue(in.ConsumeIntegral<uchar>());
    case 8:
        return QVariant::fromValue(in.ConsumeIntegral<short>());
    case 9:
        return QVariant::fromValue(QDBusObjectPath(path(in)));
    case 10:
        return QByteArray::fromStdString(in.ConsumeRandomLengthString(32));
    case 11: {
        QStringList list;
        for (int n = in.ConsumeIntegralInRange(0, 4); n > 0; --n)
            list << text(in);
        return list;
    }
    case 12:
        return QVariant::fromValue(QDBusVariant(value(in, depth + 1)));
    case 13: {
        QVariantMap map;
        for (int n = in.ConsumeIntegralInRange(0, 6); n > 0; --n)
            map.insert(key(in), value(in, depth + 1));
        return map;
    }
    case 14: {
        TextMap map;
        for (int n = in.ConsumeIntegralInRange(0, 4); n > 0; --n)
            map.insert(key(in), text(in));
        return QVariant::fromValue(map);
    }
    case 15: {
        NumberMap map;
        for (int n = in.ConsumeIntegralInRange(0, 4); n > 0; --n)
            map.insert(key(in), in.ConsumeIntegral<int>());
        return QVariant::fromValue(map);
    }
    default: {
        QVariantList list;
        for (int n = in.ConsumeIntegralInRange(0, 4); n > 0; --n)
            list << value(in, depth + 1);
        return list;
    }
    }
}

/// What a player's properties become, as MprisPlayer applies a GetAll
/// answer and then a PropertiesChanged.
class Player final : public QDBusVirtualObject {
public:
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        const QVariantMap properties = qdbus_cast<QVariantMap>(message.arguments().value(0));
        MprisValues::PlayerState state;
        state.busName = QStringLiteral("org.mpris.MediaPlayer2.fuzz.instance1");
        const QDateTime now = QDateTime::fromMSecsSinceEpoch(1'700'000'000'000, Qt::UTC);
        for (const bool whole : { true, false }) {
            MprisValues::applyPlayerProperties(state, properties, whole, now);
            (void)MprisValues::trackId(state.metadata.value(QStringLiteral("mpris:trackid")));
            const MediaPlayerState shown = MprisValues::snapshot(state);
            const bool sound = shown.player == QLatin1String("fuzz") && shown.title == shown.title.trimmed()
                && shown.title.size() <= 500 && (!shown.lengthMicros || *shown.lengthMicros > 0)
                && (!shown.positionMicros || *shown.positionMicros >= 0) && std::isfinite(shown.rate)
                && (!shown.artist || !shown.artist->isEmpty()) && (!shown.album || !shown.album->trimmed().isEmpty());
            if (!sound)
                std::abort();
        }
        connection.send(message.createReply());
        return true;
    }
};

QDBusConnection* bus = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    (void)fuzzScratchFolder(argc, argv);
    qDBusRegisterMetaType<TextMap>();
    qDBusRegisterMetaType<NumberMap>();
    bus = new QDBusConnection(QDBusConnection::sessionBus());
    static Player player;
    if (!bus->isConnected() || !bus->registerVirtualObject(objectPath, &player)) {
        std::fprintf(stderr, "fuzz_mpris_metadata needs a session bus: run it under dbus-run-session\n");
        std::exit(1);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    QVariantMap properties;
    for (const char* name : { "PlaybackStatus", "Metadata", "Rate", "Position", "CanGoNext", "CanSeek" }) {
        if (!in.ConsumeBool())
            continue;
        QVariant v;
        if (QLatin1String(name) == QLatin1String("PlaybackStatus") && in.ConsumeBool()) {
            static const char* const statuses[] = { "Playing", "Paused", "Stopped" };
            v = QLatin1String(statuses[in.ConsumeIntegralInRange(0, 2)]);
        } else if (QLatin1String(name) == QLatin1String("Metadata") && in.ConsumeBool()) {
            QVariantMap metadata;
            for (int n = in.ConsumeIntegralInRange(0, 8); n > 0; --n)
                metadata.insert(key(in), value(in, 1));
            v = metadata;
        } else {
            v = value(in, 0);
        }
        properties.insert(QLatin1String(name), v);
    }
    // The bus name is our own, so Qt delivers in the same thread after
    // marshalling and demarshalling the message as the bus would.
    QDBusMessage call = QDBusMessage::createMethodCall(bus->baseService(), objectPath, interfaceName, QStringLiteral("Set"));
    call << properties;
    (void)bus->call(call, QDBus::Block, 5000);
    return 0;
}
