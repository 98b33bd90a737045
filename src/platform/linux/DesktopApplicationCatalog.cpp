#include "DesktopApplicationCatalog.h"

#include "MprisValues.h"
#include "dbus_interface.h"
#include "mpris_root_interface.h"
#include "properties_interface.h"

#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>

#include <memory>

namespace {

const QString mprisObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");

QIcon iconNamed(const QString& icon)
{
    if (icon.isEmpty())
        return {};
    if (QFileInfo(icon).isAbsolute())
        return QIcon(icon);
    return QIcon::fromTheme(icon);
}

template <typename Reply, typename Fn> void whenDone(QObject* context, const QDBusPendingCall& call, Fn fn)
{
    auto* watcher = new QDBusPendingCallWatcher(call, context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context, [watcher, fn] {
        watcher->deleteLater();
        Reply reply = *watcher;
        fn(reply);
    });
}

} // namespace

DesktopApplicationCatalog::DesktopApplicationCatalog(const QDBusConnection& bus, QObject* parent)
    : QObject(parent)
    , m_bus(bus)
{
}

QString DesktopApplicationCatalog::desktopFile(const QString& entryName)
{
    if (entryName.isEmpty() || entryName.contains(QLatin1Char('/')))
        return {};
    for (const QString& name : { entryName, entryName.toLower() }) {
        const QString path = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, name + QStringLiteral(".desktop"));
        if (!path.isEmpty())
            return path;
    }
    return {};
}

QHash<QString, QString> DesktopApplicationCatalog::desktopEntry(const QString& path)
{
    QHash<QString, QString> keys;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return keys;
    QTextStream in(&file);
    bool inEntry = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inEntry || line.startsWith(QLatin1Char('#')) || equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed();
        if (!keys.contains(key))
            keys.insert(key, line.mid(equals + 1).trimmed());
    }
    return keys;
}

QStringList DesktopApplicationCatalog::commandLine(const QString& exec)
{
    QStringList parts = QProcess::splitCommand(exec);
    QStringList kept;
    for (const QString& part : std::as_const(parts)) {
        // Field codes stand for files and URLs to open; there are none here.
        if (part.size() == 2 && part.startsWith(QLatin1Char('%')))
            continue;
        kept << part;
    }
    return kept;
}

std::optional<ApplicationInfo> DesktopApplicationCatalog::applicationForDesktopEntry(const QString& entryName)
{
    const QString path = desktopFile(entryName);
    if (path.isEmpty())
        return std::nullopt;
    const auto keys = desktopEntry(path);
    ApplicationInfo info;
    info.icon = iconNamed(keys.value(QStringLiteral("Icon")));
    const QString name = keys.value(QStringLiteral("Name"));
    info.name = name.isEmpty() ? QFileInfo(path).completeBaseName() : name;
    return info;
}

std::optional<ApplicationInfo> DesktopApplicationCatalog::runningApplication(qint32 processIdentifier)
{
    if (processIdentifier <= 0)
        return std::nullopt;
    QFile comm(QStringLiteral("/proc/%1/comm").arg(processIdentifier));
    if (!comm.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QString name = QString::fromUtf8(comm.readAll()).trimmed();
    ApplicationInfo info;
    if (!name.isEmpty()) {
        info.name = name;
        info.icon = QIcon::fromTheme(name.toLower());
    }
    return info;
}

void DesktopApplicationCatalog::findPlayer(
    std::function<bool(const QString&, const QString&, qint32)> matches, std::function<void(const QString&)> found)
{
    auto* daemon = new OrgFreedesktopDBusInterface(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"), m_bus, this);
    whenDone<QDBusPendingReply<QStringList>>(
        this, daemon->ListNames(), [this, daemon, matches, found](const QDBusPendingReply<QStringList>& names) {
            QStringList players;
            if (!names.isError()) {
                for (const QString& name : names.value()) {
                    if (MprisValues::isPlayerBusName(name))
                        players << name;
                }
            }
            if (players.isEmpty()) {
                daemon->deleteLater();
                found({});
                return;
            }
            // Ask every player at once; the first that matches wins.
            struct Search {
                int remaining;
                bool done = false;
            };
            auto search = std::make_shared<Search>(Search { int(players.size()) });
            auto finishOne = [daemon, search, found](const QString& match) {
                --search->remaining;
                if (!search->done && (!match.isEmpty() || search->remaining == 0)) {
                    search->done = true;
                    found(match);
                }
                // Other players' answers still use the daemon proxy until the last one.
                if (search->remaining == 0)
                    daemon->deleteLater();
            };
            // Proxies are made on the players' unique names only: a proxy on a
            // well-known name looks its owner up synchronously when it is made.
            for (const QString& name : std::as_const(players)) {
                whenDone<QDBusPendingReply<QString>>(this, daemon->GetNameOwner(name),
                    [this, daemon, name, matches, finishOne](const QDBusPendingReply<QString>& owner) {
                        if (owner.isError() || owner.value().isEmpty()) {
                            finishOne({});
                            return;
                        }
                        const QString unique = owner.value();
                        auto* properties = new OrgFreedesktopDBusPropertiesInterface(unique, mprisObjectPath, m_bus, this);
                        whenDone<QDBusPendingReply<QDBusVariant>>(this,
                            properties->Get(QStringLiteral("org.mpris.MediaPlayer2"), QStringLiteral("DesktopEntry")),
                            [this, daemon, properties, name, unique, matches, finishOne](
                                const QDBusPendingReply<QDBusVariant>& entryReply) {
                                properties->deleteLater();
                                const QString entry = entryReply.isError()
                                    ? QString()
                                    : MprisValues::text(entryReply.value().variant()).value_or(QString());
                                whenDone<QDBusPendingReply<uint>>(this, daemon->GetConnectionUnixProcessID(unique),
                                    [name, unique, entry, matches, finishOne](const QDBusPendingReply<uint>& pid) {
                                        const qint32 process = pid.isError() ? 0 : qint32(pid.value());
                                        finishOne(matches(name, entry, process) ? unique : QString());
                                    });
                            });
                    });
            }
        });
}

void DesktopApplicationCatalog::raise(const QString& busName, std::function<void(bool)> done)
{
    auto* root = new OrgMprisMediaPlayer2Interface(busName, mprisObjectPath, m_bus, this);
    whenDone<QDBusPendingReply<>>(this, root->Raise(), [root, done](const QDBusPendingReply<>& reply) {
        root->deleteLater();
        done(!reply.isError());
    });
}

QString DesktopApplicationCatalog::launch(const QString& entryName)
{
    const QString path = desktopFile(entryName);
    if (path.isEmpty())
        return QStringLiteral("no desktop entry for %1").arg(entryName);
    if (QProcess::startDetached(QStringLiteral("gio"), { QStringLiteral("launch"), path }))
        return {};
    const QStringList command = commandLine(desktopEntry(path).value(QStringLiteral("Exec")));
    if (command.isEmpty())
        return QStringLiteral("%1 has no command to run").arg(path);
    if (!QProcess::startDetached(command.first(), command.mid(1)))
        return QStringLiteral("unable to run %1").arg(command.first());
    return {};
}

void DesktopApplicationCatalog::openApplication(const QString& entryName, std::function<void(const QString&)> done)
{
    findPlayer([entryName](const QString& busName, const QString& entry,
                   qint32) { return entry == entryName || MprisValues::busNameSuffix(busName) == entryName; },
        [this, entryName, done](const QString& busName) {
            if (busName.isEmpty()) {
                done(launch(entryName));
                return;
            }
            raise(busName, [entryName, done](bool ok) { done(ok ? QString() : launch(entryName)); });
        });
}

void DesktopApplicationCatalog::activateRunningApplication(qint32 processIdentifier)
{
    findPlayer([processIdentifier](const QString&, const QString&, qint32 pid) { return pid == processIdentifier; },
        [this](const QString& busName) {
            if (!busName.isEmpty())
                raise(busName, [](bool) {});
        });
}
