#pragma once

#include "FileBrowser.h"

#include <QDBusConnection>

#include <functional>

/// The desktop's file manager through org.freedesktop.FileManager1 on the
/// session bus (Nautilus, Dolphin, Nemo, Thunar, Caja…); where none answers,
/// the files' folders are opened instead. Files open with their default
/// application through QDesktopServices (xdg-open or the portal).
class DBusFileBrowser final : public FileBrowser {
    Q_OBJECT
public:
    /// Opens a URL with its default application; false when that failed.
    using UrlOpener = std::function<bool(const QUrl&)>;

    /// `openUrl` defaults to QDesktopServices::openUrl.
    explicit DBusFileBrowser(QDBusConnection sessionBus, UrlOpener openUrl = {}, QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(DBusFileBrowser)

    void open(const QUrl& file) override;
    void reveal(const QList<QUrl>& files) override;

    /// The folders holding the files, each once, in the order of the files.
    static QList<QUrl> containingFolders(const QList<QUrl>& files);

private:
    void openFolders(const QList<QUrl>& files);

    QDBusConnection m_bus;
    UrlOpener m_openUrl;
};
