// A scriptable MPRIS player for the integration tests.
//
//   test-mpris-player NAME [--desktop-entry=ID] [--no-position]
//
// Owns org.mpris.MediaPlayer2.NAME on the session bus. Commands on stdin,
// one a line:  track ID|TITLE|ARTIST|ALBUM|LENGTH_US|ART_URL,  empty-metadata, string-metadata,
// hostile-metadata (wrong types, a 2 MB title, /dev/zero as art), misshapen-signal (a PropertiesChanged
// of the wrong signature), also NAME (a second bus name),
// freeze (no more replies), play, pause, position US, quit.
// Reports on stdout: "ready", then "called METHOD [ARGS]" for every call and
// "signalled NS" (CLOCK_MONOTONIC) after every PropertiesChanged it sends.

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QSocketNotifier>

#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace {

const QString playerIface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString propsIface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString path = QStringLiteral("/org/mpris/MediaPlayer2");

void report(const QString& line)
{
    std::printf("%s\n", qUtf8Printable(line));
    std::fflush(stdout);
}

/// A one-entry dictionary of the wrong type (a{ss}), as careless players build them.
QVariant stringMap(const QString& key, const QString& value)
{
    QDBusArgument map;
    map.beginMap(QMetaType::fromType<QString>(), QMetaType::fromType<QString>());
    map.beginMapEntry();
    map << key << value;
    map.endMapEntry();
    map.endMap();
    return QVariant::fromValue(map);
}

void sendChanges(const QVariant& changes)
{
    QDBusMessage signal = QDBusMessage::createSignal(path, propsIface, QStringLiteral("PropertiesChanged"));
    signal << playerIface << changes << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

class Player final : public QDBusVirtualObject {
public:
    Player(QString desktopEntry, bool hasPosition)
        : m_desktopEntry(std::move(desktopEntry))
        , m_hasPosition(hasPosition)
    {
    }

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        const QString member = message.member();
        const QVariantList args = message.arguments();
        if (message.interface() == propsIface && !m_frozen) {
            const QVariantMap all = properties(args.value(0).toString());
            if (member == QLatin1String("GetAll"))
                connection.send(message.createReply(QVariant::fromValue(all)));
            else if (member != QLatin1String("Get"))
                connection.send(message.createErrorReply(QDBusError::NotSupported, QStringLiteral("read-only")));
            else if (!all.contains(args.value(1).toString()))
                connection.send(message.createErrorReply(QDBusError::InvalidArgs, QStringLiteral("No such property")));
            else
                connection.send(message.createReply(QVariant::fromValue(QDBusVariant(all.value(args.value(1).toString())))));
            return true;
        }
        QString line = QStringLiteral("called ") + member;
        if (m_frozen) {
            report(line + QStringLiteral(" (frozen)"));
            return true;
        }
        if (member == QLatin1String("SetPosition")) {
            m_position = args.value(1).toLongLong();
            line += QLatin1Char(' ') + qvariant_cast<QDBusObjectPath>(args.value(0)).path() + QLatin1Char(' ')
                + QString::number(m_position);
            QDBusMessage seeked = QDBusMessage::createSignal(path, playerIface, QStringLiteral("Seeked"));
            seeked << m_position;
            QDBusConnection::sessionBus().send(seeked);
        } else if (member == QLatin1String("PlayPause")) {
            setStatus(m_status == QLatin1String("Playing") ? QStringLiteral("Paused") : QStringLiteral("Playing"));
        }
        report(line);
        connection.send(message.createReply());
        return true;
    }

    void command(const QString& line)
    {
        const QString verb = line.section(QLatin1Char(' '), 0, 0);
        const QString rest = line.section(QLatin1Char(' '), 1);
        if (verb == QLatin1String("track") || verb == QLatin1String("empty-metadata")) {
            const QStringList f = rest.split(QLatin1Char('|'));
            QVariantMap m;
            const auto put = [&](const char* key, int field, const QVariant& value) {
                if (!f.value(field).isEmpty())
                    m.insert(QLatin1String(key), value);
            };
            put("mpris:trackid", 0, QVariant::fromValue(QDBusObjectPath(f.value(0))));
            put("xesam:title", 0, f.value(1)); // a track always has its title, if only an empty one
            put("xesam:artist", 2, f.value(2).split(QLatin1Char(',')));
            put("xesam:album", 3, f.value(3));
            put("mpris:length", 4, f.value(4).toLongLong());
            put("mpris:artUrl", 5, f.value(5));
            setMetadata(m);
        } else if (verb == QLatin1String("string-metadata")) {
            m_carelessMetadata = stringMap(QStringLiteral("xesam:title"), QStringLiteral("Careless"));
            changed({ { QStringLiteral("Metadata"), m_carelessMetadata } });
        } else if (verb == QLatin1String("hostile-metadata")) {
            setMetadata({ { QStringLiteral("xesam:title"), QString(2 * 1024 * 1024, QLatin1Char('x')) },
                            { QStringLiteral("xesam:artist"), 42 },
                            { QStringLiteral("xesam:album"), QStringList { QStringLiteral("a") } },
                            { QStringLiteral("mpris:length"), QStringLiteral("long") },
                            { QStringLiteral("mpris:artUrl"), QStringLiteral("file:///dev/zero") },
                            { QStringLiteral("mpris:trackid"), 7 } },
                { { QStringLiteral("Rate"), QStringLiteral("fast") }, { QStringLiteral("CanGoNext"), 1 } });
        } else if (verb == QLatin1String("misshapen-signal")) {
            sendChanges(stringMap(QStringLiteral("PlaybackStatus"), QStringLiteral("Stopped")));
            report(QStringLiteral("sent misshapen"));
        } else if (verb == QLatin1String("also")) {
            QDBusConnection::sessionBus().registerService(QStringLiteral("org.mpris.MediaPlayer2.") + rest);
        } else if (verb == QLatin1String("freeze")) {
            m_frozen = true;
            report(QStringLiteral("frozen"));
        } else if (verb == QLatin1String("play") || verb == QLatin1String("pause")) {
            setStatus(verb == QLatin1String("play") ? QStringLiteral("Playing") : QStringLiteral("Paused"));
        } else if (verb == QLatin1String("position")) {
            m_position = rest.toLongLong();
        } else if (verb == QLatin1String("quit")) {
            QCoreApplication::quit();
        }
    }

private:
    QVariantMap properties(const QString& iface) const
    {
        if (iface == QLatin1String("org.mpris.MediaPlayer2")) {
            QVariantMap p { { QStringLiteral("Identity"), QStringLiteral("Test Player") }, { QStringLiteral("CanRaise"), true },
                { QStringLiteral("CanQuit"), true } };
            if (!m_desktopEntry.isEmpty())
                p.insert(QStringLiteral("DesktopEntry"), m_desktopEntry);
            return p;
        }
        if (iface != playerIface)
            return {};
        QVariantMap p { { QStringLiteral("PlaybackStatus"), m_status },
            { QStringLiteral("Metadata"), m_carelessMetadata.isValid() ? m_carelessMetadata : QVariant(m_metadata) },
            { QStringLiteral("Rate"), 1.0 } };
        for (const char* flag : { "CanSeek", "CanControl", "CanPlay", "CanPause", "CanGoNext", "CanGoPrevious" })
            p.insert(QLatin1String(flag), true);
        if (m_hasPosition)
            p.insert(QStringLiteral("Position"), m_position);
        return p;
    }

    void setMetadata(const QVariantMap& metadata, QVariantMap alongside = {})
    {
        m_metadata = metadata;
        m_carelessMetadata = QVariant();
        alongside.insert(QStringLiteral("Metadata"), m_metadata);
        changed(alongside);
    }

    void setStatus(const QString& status)
    {
        m_status = status;
        changed({ { QStringLiteral("PlaybackStatus"), status } });
    }

    void changed(const QVariantMap& values)
    {
        sendChanges(values);
        // When the change left, on the clock every process shares: benchmarks time from here.
        timespec now {};
        clock_gettime(CLOCK_MONOTONIC, &now);
        report(QStringLiteral("signalled %1").arg(qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec));
    }

    QString m_desktopEntry;
    bool m_hasPosition;
    QString m_status = QStringLiteral("Stopped");
    QVariantMap m_metadata;
    QVariant m_carelessMetadata;
    qlonglong m_position = 0;
    bool m_frozen = false;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2)
        return 2;
    QString desktopEntry;
    for (const QString& arg : args.mid(2)) {
        if (arg.startsWith(QLatin1String("--desktop-entry=")))
            desktopEntry = arg.mid(16);
    }
    Player player(desktopEntry, !args.contains(QLatin1String("--no-position")));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerVirtualObject(path, &player, QDBusConnection::SingleNode)
        || !bus.registerService(QStringLiteral("org.mpris.MediaPlayer2.") + args[1]))
        return 1;

    QByteArray pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char chunk[4096];
        const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (n <= 0)
            return input.setEnabled(false);
        pending.append(chunk, n);
        for (qsizetype newline; (newline = pending.indexOf('\n')) >= 0; pending.remove(0, newline + 1)) {
            const QString line = QString::fromUtf8(pending.left(newline)).trimmed();
            if (!line.isEmpty())
                player.command(line);
        }
    });
    report(QStringLiteral("ready"));
    return app.exec();
}
