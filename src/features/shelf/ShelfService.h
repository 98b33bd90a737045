#pragma once

#include "DeviceSharing.h"
#include "ShelfItem.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QSet>
#include <QThreadPool>
#include <QtQml/qqmlregistration.h>

#include <memory>
#include <optional>

class FileBrowser;
class FileThumbnails;
class SystemClipboard;
class QMimeData;

/// The shelf: up to 30 files dropped on the island, newest first, kept in
/// "shelf.json" as bookmarks so they survive a restart and follow a file
/// that is renamed or moved. A dropped image or text is first written into
/// a file of the shelf's own, which goes again with its item. Disk work
/// (loading, resolving bookmarks, saving, writing drops, looking for missing
/// files) runs in order on a worker thread; the list lives on the GUI thread.
// Not final: Qt 6.4's QML registration derives from every type it could
// default-construct, uncreatable or not.
class ShelfService : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Created by the application")
    Q_PROPERTY(int count READ count NOTIFY itemsChanged FINAL)
    Q_PROPERTY(bool canEmail READ canEmail NOTIFY sharingChanged FINAL)
public:
    static constexpr int shelfLimit = 30;
    static constexpr int thumbnailPoints = 96;
    /// Dropped image data larger than this is not taken.
    static constexpr qsizetype largestDroppedImage = 64 * 1024 * 1024;

    /// The list stored at `path`, every entry checked. A file that is not a
    /// list of valid entries is kept aside (and logged) and gives none; no
    /// file gives none silently. Any thread.
    static QList<StoredShelfItem> readStoredItems(const QString& path);

    struct Platform {
        FileThumbnails& thumbnails;
        FileBrowser& browser;
        DeviceSharing& sharing;
        SystemClipboard& systemClipboard;
    };

    /// Keeps its list in `supportFolder`/<program>/ (none: memory only); the
    /// stored list is read on the worker and published when ready.
    /// `homeFolder` bounds the search for moved files.
    ShelfService(Platform platform, std::optional<QString> supportFolder, QString homeFolder, QObject* parent = nullptr);
    ~ShelfService() override;
    Q_DISABLE_COPY_MOVE(ShelfService)

    const QList<ShelfItem>& items() const { return m_items; }
    int count() const { return int(m_items.size()); }
    const QHash<QUuid, QImage>& thumbnails() const { return m_thumbnails; }
    std::optional<ShelfItem> item(const QUuid& id) const;
    const std::optional<QString>& storagePath() const { return m_storagePath; }
    const std::optional<QString>& temporaryDirectory() const { return m_temporaryDirectory; }
    bool isLoaded() const { return m_isLoaded; }

    /// Takes a drop: its files, else an image, else a non-blank text.
    /// False when it holds nothing usable. Images and texts are written on
    /// the worker and join the shelf when written.
    bool add(const QMimeData& data);
    void remove(const ShelfItem& item);
    Q_INVOKABLE void clear();
    /// Takes off the items whose files are gone (looked for on the worker).
    Q_INVOKABLE void removeMissingItems();
    void showInFileManager(const QList<ShelfItem>& items);
    /// Sends to `deviceId`, or to the only device when empty.
    void sendToDevice(const QList<ShelfItem>& items, const QString& deviceId = {});
    void email(const QList<ShelfItem>& items);
    void open(const ShelfItem& item);
    /// Puts the file on the clipboard as a file manager would.
    void copy(const ShelfItem& item);

    QList<DeviceSharing::Device> devices() const;
    bool canEmail() const;

    /// Waits until the worker is idle and its results are published.
    void waitForDiskWork();

Q_SIGNALS:
    void itemsChanged();
    /// An item's preview changed (or went with the item).
    void thumbnailChanged(const QUuid& id);
    void sharingChanged();

private:
    struct Drop;
    void addFiles(const QList<QUrl>& urls, bool isTemporary);
    void writeTemporary(Drop drop);
    void publish(QList<ShelfItem> items);
    void discard(const QList<ShelfItem>& items);
    void saveItems();
    void loadItems();
    void finishLoading(const QList<ShelfItem>& loaded);
    void loadThumbnail(const ShelfItem& item);
    QSize thumbnailPixels() const;

    Platform m_platform;
    QString m_homeFolder;
    QList<ShelfItem> m_items;
    QHash<QUuid, QImage> m_thumbnails;
    std::optional<QString> m_storagePath;
    std::optional<QString> m_temporaryDirectory;
    bool m_isLoaded = false;
    // The last bookmark made or read per item, touched by the worker only:
    // an item whose file cannot be examined at a save keeps the one it had.
    std::shared_ptr<QHash<QUuid, QByteArray>> m_bookmarks = std::make_shared<QHash<QUuid, QByteArray>>();
    // Disk work in order, one job at a time, off the GUI thread.
    QThreadPool m_worker;
};
