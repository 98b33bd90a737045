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
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QSocketNotifier>

#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace {

const QString rootIface = QStringLiteral("org.mpris.MediaPlayer2");
const QString playerIface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString propsIface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString path = QStringLiteral("/org/mpris/MediaPlayer2");

void report(const QString& line)
{
    std::printf("%s\n", qUtf8Printable(line));
    std::fflush(stdout);
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
            if (member == QLatin1String("GetAll")) {
                const QString iface = args.value(0).toString();
                connection.send(message.createReply(QVariant::fromValue(properties(iface))));
                return true;
            }
            if (member == QLatin1String("Get")) {
                const QVariantMap all = properties(args.value(0).toString());
                const QString name = args.value(1).toString();
                if (!all.contains(name)) {
                    connection.send(message.createErrorReply(QDBusError::InvalidArgs, QStringLiteral("No such property")));
                    return true;
                }
                connection.send(message.createReply(QVariant::fromValue(QDBusVariant(all.value(name)))));
                return true;
            }
            connection.send(message.createErrorReply(QDBusError::NotSupported, QStringLiteral("read-only")));
            return true;
        }
        QString line = QStringLiteral("called ") + member;
        if (m_frozen) {
            report(line + QStringLiteral(" (frozen)"));
            return true;
        }
        if (member == QLatin1String("SetPosition")) {
            line += QLatin1Char(' ') + qvariant_cast<QDBusObjectPath>(args.value(0)).path() + QLatin1Char(' ')
                + QString::number(args.value(1).toLongLong());
            m_position = args.value(1).toLongLong();
            seeked();
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
        if (verb == QLatin1String("track")) {
            const QStringList f = rest.split(QLatin1Char('|'));
            QVariantMap m;
            m.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(f.value(0))));
            m.insert(QStringLiteral("xesam:title"), f.value(1));
            if (!f.value(2).isEmpty())
                m.insert(QStringLiteral("xesam:artist"), f.value(2).split(QLatin1Char(',')));
            if (!f.value(3).isEmpty())
                m.insert(QStringLiteral("xesam:album"), f.value(3));
            if (!f.value(4).isEmpty())
                m.insert(QStringLiteral("mpris:length"), f.value(4).toLongLong());
            if (!f.value(5).isEmpty())
                m.insert(QStringLiteral("mpris:artUrl"), f.value(5));
            m_metadata = m;
            m_carelessMetadata = QVariant();
            changed({ { QStringLiteral("Metadata"), m_metadata } });
        } else if (verb == QLatin1String("string-metadata")) {
            // Metadata as a{ss}, as players that build the dictionary carelessly send it.
            QDBusArgument careless;
            careless.beginMap(QMetaType::fromType<QString>(), QMetaType::fromType<QString>());
            careless.beginMapEntry();
            careless << QStringLiteral("xesam:title") << QStringLiteral("Careless");
            careless.endMapEntry();
            careless.endMap();
            m_carelessMetadata = QVariant::fromValue(careless);
            changed({ { QStringLiteral("Metadata"), m_carelessMetadata } });
        } else if (verb == QLatin1String("hostile-metadata")) {
            m_metadata = { { QStringLiteral("xesam:title"), QString(2 * 1024 * 1024, QLatin1Char('x')) },
                { QStringLiteral("xesam:artist"), 42 }, { QStringLiteral("xesam:album"), QStringList { QStringLiteral("a") } },
                { QStringLiteral("mpris:length"), QStringLiteral("long") },
                { QStringLiteral("mpris:artUrl"), QStringLiteral("file:///dev/zero") }, { QStringLiteral("mpris:trackid"), 7 } };
            m_carelessMetadata = QVariant();
            changed({ { QStringLiteral("Metadata"), m_metadata }, { QStringLiteral("Rate"), QStringLiteral("fast") },
                { QStringLiteral("CanGoNext"), 1 } });
        } else if (verb == QLatin1String("misshapen-signal")) {
            // PropertiesChanged whose changes are a{ss} instead of a{sv}.
            QDBusMessage signal = QDBusMessage::createSignal(path, propsIface, QStringLiteral("PropertiesChanged"));
            QDBusArgument changes;
            changes.beginMap(QMetaType::fromType<QString>(), QMetaType::fromType<QString>());
            changes.beginMapEntry();
            changes << QStringLiteral("PlaybackStatus") << QStringLiteral("Stopped");
            changes.endMapEntry();
            changes.endMap();
            signal << playerIface << QVariant::fromValue(changes) << QStringList();
            QDBusConnection::sessionBus().send(signal);
            report(QStringLiteral("sent misshapen"));
        } else if (verb == QLatin1String("also")) {
            QDBusConnection::sessionBus().registerService(QStringLiteral("org.mpris.MediaPlayer2.") + rest);
        } else if (verb == QLatin1String("freeze")) {
            m_frozen = true;
            report(QStringLiteral("frozen"));
        } else if (verb == QLatin1String("empty-metadata")) {
            m_metadata.clear();
            m_carelessMetadata = QVariant();
            changed({ { QStringLiteral("Metadata"), m_metadata } });
        } else if (verb == QLatin1String("play")) {
            setStatus(QStringLiteral("Playing"));
        } else if (verb == QLatin1String("pause")) {
            setStatus(QStringLiteral("Paused"));
        } else if (verb == QLatin1String("position")) {
            m_position = rest.toLongLong();
        } else if (verb == QLatin1String("quit")) {
            QCoreApplication::quit();
        }
    }

private:
    QVariantMap properties(const QString& iface) const
    {
        if (iface == rootIface) {
            QVariantMap p { { QStringLiteral("Identity"), QStringLiteral("Test Player") }, { QStringLiteral("CanRaise"), true },
                { QStringLiteral("CanQuit"), true } };
            if (!m_desktopEntry.isEmpty())
                p.insert(QStringLiteral("DesktopEntry"), m_desktopEntry);
            return p;
        }
        if (iface != playerIface)
            return {};
        QVariantMap p { { QStringLiteral("PlaybackStatus"), m_status }, { QStringLiteral("Metadata"), m_metadata },
            { QStringLiteral("Rate"), 1.0 }, { QStringLiteral("CanSeek"), true }, { QStringLiteral("CanControl"), true },
            { QStringLiteral("CanPlay"), true }, { QStringLiteral("CanPause"), true }, { QStringLiteral("CanGoNext"), true },
            { QStringLiteral("CanGoPrevious"), true } };
        if (m_hasPosition)
            p.insert(QStringLiteral("Position"), m_position);
        if (m_carelessMetadata.isValid())
            p.insert(QStringLiteral("Metadata"), m_carelessMetadata);
        return p;
    }

    void setStatus(const QString& status)
    {
        m_status = status;
        changed({ { QStringLiteral("PlaybackStatus"), status } });
    }

    void changed(const QVariantMap& values)
    {
        QDBusMessage signal = QDBusMessage::createSignal(path, propsIface, QStringLiteral("PropertiesChanged"));
        signal << playerIface << values << QStringList();
        QDBusConnection::sessionBus().send(signal);
        // When the change left, on the clock every process shares: benchmarks time from here.
        timespec now {};
        clock_gettime(CLOCK_MONOTONIC, &now);
        report(QStringLiteral("signalled %1").arg(qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec));
    }

    void seeked()
    {
        QDBusMessage signal = QDBusMessage::createSignal(path, playerIface, QStringLiteral("Seeked"));
        signal << m_position;
        QDBusConnection::sessionBus().send(signal);
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
    bool hasPosition = true;
    for (const QString& arg : args.mid(2)) {
        if (arg.startsWith(QLatin1String("--desktop-entry=")))
            desktopEntry = arg.mid(16);
        else if (arg == QLatin1String("--no-position"))
            hasPosition = false;
    }

    Player player(desktopEntry, hasPosition);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerVirtualObject(path, &player, QDBusConnection::SingleNode))
        return 1;
    if (!bus.registerService(QStringLiteral("org.mpris.MediaPlayer2.") + args[1]))
        return 1;

    QByteArray pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char chunk[4096];
        const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (n <= 0) {
            input.setEnabled(false);
            return;
        }
        pending.append(chunk, n);
        qsizetype newline;
        while ((newline = pending.indexOf('\n')) >= 0) {
            const QString line = QString::fromUtf8(pending.left(newline)).trimmed();
            pending.remove(0, newline + 1);
            if (!line.isEmpty())
                player.command(line);
        }
    });
    report(QStringLiteral("ready"));
    return app.exec();
}
