#include "DBusFileBrowser.h"

#include "PlatformLog.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QStringList>

DBusFileBrowser::DBusFileBrowser(QDBusConnection sessionBus, UrlOpener openUrl, QObject* parent)
    : FileBrowser(parent)
    , m_bus(std::move(sessionBus))
    , m_openUrl(openUrl ? std::move(openUrl) : UrlOpener([](const QUrl& url) { return QDesktopServices::openUrl(url); }))
{
}

void DBusFileBrowser::open(const QUrl& file)
{
    if (!m_openUrl(file))
        qCWarning(lcPlatformFiles, "Unable to open %s", qUtf8Printable(file.toDisplayString(QUrl::PreferLocalFile)));
}

void DBusFileBrowser::reveal(const QList<QUrl>& files)
{
    if (files.isEmpty())
        return;
    if (!m_bus.isConnected()) {
        qCInfo(lcPlatformFiles, "No session bus to reach a file manager; opening the folders instead");
        openFolders(files);
        return;
    }
    QStringList uris;
    for (const QUrl& file : files)
        uris.append(file.toString(QUrl::FullyEncoded));
    // A plain message to the well-known name: a generated proxy would look
    // its owner up with a blocking call, and the message also lets the bus
    // start a file manager that is installed but not running.
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"), QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("ShowItems"));
    // No startup id: we have no launch of our own to hand on.
    call << uris << QString();
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, files](QDBusPendingCallWatcher* watcher) {
        watcher->deleteLater();
        if (!watcher->isError())
            return;
        qCInfo(lcPlatformFiles, "No file manager showed the files (%s); opening their folders instead",
            qUtf8Printable(watcher->error().message()));
        openFolders(files);
    });
}

QList<QUrl> DBusFileBrowser::containingFolders(const QList<QUrl>& files)
{
    QList<QUrl> folders;
    for (const QUrl& file : files) {
        // A folder's URL may end in a slash; its own parent is meant then too.
        const QUrl folder = file.adjusted(QUrl::StripTrailingSlash).adjusted(QUrl::RemoveFilename | QUrl::StripTrailingSlash);
        if (folder.isValid() && !folders.contains(folder))
            folders.append(folder);
    }
    return folders;
}

void DBusFileBrowser::openFolders(const QList<QUrl>& files)
{
    for (const QUrl& folder : containingFolders(files)) {
        if (!m_openUrl(folder))
            qCWarning(
                lcPlatformFiles, "Unable to open the folder %s", qUtf8Printable(folder.toDisplayString(QUrl::PreferLocalFile)));
    }
}
