#include "ShelfService.h"

#include "AppInfo.h"
#include "Clock.h"
#include "FileBookmark.h"
#include "FileBrowser.h"
#include "FileThumbnails.h"
#include "JsonFile.h"
#include "LinuxWording.h"
#include "Log.h"
#include "SaveFile.h"
#include "SystemClipboard.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QJsonArray>
#include <QMimeData>
#include <QSaveFile>
#include <QScreen>
#include <QStringDecoder>

#include <memory>

namespace {
BRIMWELL_LOGGING_CATEGORY(lcShelf, "brimwell.shelf", "Shelf")
} // namespace

namespace {

constexpr auto fileName = "shelf.json";
constexpr auto folderName = "Shelf";
// A dropped image beyond this many pixels is not decoded (about 400 MB as
// 32-bit pixels).
constexpr qint64 largestImagePixels = 100'000'000;

constexpr QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

bool prepareFolder(const QString& folder)
{
    return QDir().mkpath(folder) && QFile::setPermissions(folder, ownerOnly);
}

// A name that is not valid UTF-8 cannot be held in a QString without loss:
// the item would name another (missing) file.
bool hasValidName(const QUrl& url)
{
    const QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    QStringDecoder decoder(QStringDecoder::Utf8);
    [[maybe_unused]] const QString text = decoder(bytes);
    return !decoder.hasError();
}

bool isReadableImage(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > largestImagePixels) {
        qCWarning(lcShelf, "Dropped image of %d × %d pixels is too large to keep", size.width(), size.height());
        return false;
    }
    return reader.canRead();
}

QImage decodeImage(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer);
    reader.setAllocationLimit(int(largestImagePixels * 4 / (1024 * 1024)));
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > largestImagePixels)
        return {};
    return reader.read();
}

// "Image 2025-01-31T09-05-07.png", then "… 2.png", "… 3.png" while taken.
std::optional<QString> writeTemporaryFile(
    const QString& folder, const QString& stamp, const char* name, const char* extension, const QByteArray& bytes)
{
    if (!prepareFolder(folder)) {
        qCCritical(lcShelf, "Unable to save dropped content: %s", qUtf8Printable(QStringLiteral("cannot create %1").arg(folder)));
        return std::nullopt;
    }
    const QString base = folder + QLatin1Char('/') + QLatin1String(name) + QLatin1Char(' ') + stamp;
    const QString suffix = QLatin1Char('.') + QLatin1String(extension);
    QString path = base + suffix;
    for (int counter = 2; QFileInfo::exists(path); ++counter)
        path = base + QLatin1Char(' ') + QString::number(counter) + suffix;
    QSaveFile file(path);
    QString error;
    if (!file.open(QIODevice::WriteOnly) || !SaveFile::writeAndCommit(file, bytes, &error)) {
        qCCritical(lcShelf, "Unable to save dropped content: %s", qUtf8Printable(error.isEmpty() ? file.errorString() : error));
        return std::nullopt;
    }
    return path;
}

} // namespace

struct ShelfService::Drop {
    std::optional<QByteArray> image;
    std::optional<QString> text;
    QString stamp;
};

ShelfService::ShelfService(Platform platform, std::optional<QString> supportFolder, QString homeFolder, QObject* parent)
    : QObject(parent)
    , m_platform(platform)
    , m_homeFolder(std::move(homeFolder))
{
    m_worker.setMaxThreadCount(1);
    if (supportFolder) {
        const QString folder
            = *supportFolder + QLatin1Char('/') + AppInfo::main().identifier().value_or(QStringLiteral("Brimwell"));
        if (prepareFolder(folder)) {
            m_storagePath = folder + QLatin1Char('/') + QLatin1String(fileName);
            m_temporaryDirectory = folder + QLatin1Char('/') + QLatin1String(folderName);
        } else {
            qCCritical(
                lcShelf, "Unable to prepare shelf storage: %s", qUtf8Printable(QStringLiteral("cannot create %1").arg(folder)));
        }
    }
    connect(&m_platform.sharing, &DeviceSharing::availabilityChanged, this, &ShelfService::sharingChanged);
    loadItems();
}

ShelfService::~ShelfService()
{
    m_worker.waitForDone(); // the last save is on disk before we go
}

std::optional<ShelfItem> ShelfService::item(const QUuid& id) const
{
    for (const ShelfItem& item : m_items) {
        if (item.id == id)
            return item;
    }
    return std::nullopt;
}

bool ShelfService::add(const QMimeData& data)
{
    QList<QUrl> files;
    bool offeredFiles = false;
    for (const QUrl& url : data.urls()) {
        if (!url.isLocalFile())
            continue;
        offeredFiles = true;
        if (hasValidName(url))
            files.append(url);
        else
            qCWarning(lcShelf, "Skipped a dropped file whose name is not valid UTF-8: %s", url.toEncoded().constData());
    }
    if (!files.isEmpty()) {
        addFiles(files, false);
        return true;
    }
    if (offeredFiles)
        return false;

    Drop drop;
    drop.stamp = Clock::system().now().toUTC().toString(QStringLiteral("yyyy-MM-ddTHH-mm-ss"));
    const QList<QByteArray> readable = QImageReader::supportedMimeTypes();
    QStringList imageFormats;
    for (const QString& format : data.formats()) {
        if (format.startsWith(QLatin1String("image/")) && readable.contains(format.toLatin1()))
            imageFormats.append(format);
    }
    // PNG and TIFF first, as lossless; then whatever else can be read.
    std::stable_sort(imageFormats.begin(), imageFormats.end(), [](const QString& a, const QString& b) {
        const auto rank = [](const QString& f) {
            return f == QLatin1String("image/png") ? 0 : f == QLatin1String("image/tiff") ? 1 : 2;
        };
        return rank(a) < rank(b);
    });
    for (const QString& format : std::as_const(imageFormats)) {
        const QByteArray bytes = data.data(format);
        if (bytes.size() > largestDroppedImage) {
            qCWarning(
                lcShelf, "Dropped %s image of %lld bytes is too large to keep", qUtf8Printable(format), qlonglong(bytes.size()));
            continue;
        }
        if (isReadableImage(bytes)) {
            drop.image = bytes;
            break;
        }
    }
    QString text = data.hasText() ? data.text() : QString();
    if (text.isEmpty() && data.hasUrls()) {
        // A link dragged from a page may come as a URI list alone.
        QStringList links;
        for (const QUrl& url : data.urls())
            links.append(url.toString());
        text = links.join(QLatin1Char('\n'));
    }
    if (!text.trimmed().isEmpty())
        drop.text = text;
    if ((!drop.image && !drop.text) || !m_temporaryDirectory)
        return false;
    writeTemporary(std::move(drop));
    return true;
}

void ShelfService::writeTemporary(Drop drop)
{
    m_worker.start([this, folder = *m_temporaryDirectory, drop = std::move(drop)] {
        std::optional<QString> written;
        if (drop.image) {
            const QImage image = decodeImage(*drop.image);
            QByteArray png;
            QBuffer buffer(&png);
            if (!image.isNull() && buffer.open(QIODevice::WriteOnly) && image.save(&buffer, "PNG"))
                written = writeTemporaryFile(folder, drop.stamp, "Image", "png", png);
        }
        if (!written && drop.text)
            written = writeTemporaryFile(folder, drop.stamp, "Text", "txt", drop.text->toUtf8());
        if (written)
            QMetaObject::invokeMethod(this, [this, path = *written] { addFiles({ QUrl::fromLocalFile(path) }, true); });
    });
}

void ShelfService::addFiles(const QList<QUrl>& urls, bool isTemporary)
{
    const QDateTime now = Clock::system().now();
    QSet<QUrl> seen;
    for (const ShelfItem& item : std::as_const(m_items))
        seen.insert(item.url);
    // Taken from the last, each in front of the ones after it: the first
    // dropped file ends up on top and a file listed twice keeps its later
    // place. Only the first `shelfLimit` can stay, so no more are made.
    QList<ShelfItem> added;
    for (auto it = urls.crbegin(); it != urls.crend(); ++it) {
        const QUrl url = ShelfItem::standardized(*it);
        if (seen.contains(url))
            continue;
        seen.insert(url);
        added.append({ QUuid::createUuid(), url, now, isTemporary });
    }
    std::reverse(added.begin(), added.end());
    if (added.size() > shelfLimit)
        added.resize(shelfLimit);

    QList<ShelfItem> items = added + m_items;
    const QList<ShelfItem> overflow = items.mid(shelfLimit);
    if (items.size() > shelfLimit)
        items.resize(shelfLimit);
    publish(std::move(items));
    discard(overflow);
    for (const ShelfItem& item : std::as_const(added))
        loadThumbnail(item);
}

void ShelfService::remove(const ShelfItem& item)
{
    // A copy: `item` may be an element of the list that publish() replaces.
    const ShelfItem removed = item;
    QList<ShelfItem> items = m_items;
    items.removeIf([&](const ShelfItem& other) { return other.id == removed.id; });
    publish(std::move(items));
    discard({ removed });
}

void ShelfService::clear()
{
    if (m_items.isEmpty())
        return;
    const QList<ShelfItem> former = m_items;
    publish({});
    discard(former);
}

void ShelfService::removeMissingItems()
{
    if (m_items.isEmpty())
        return;
    QList<QPair<QUuid, QString>> files;
    for (const ShelfItem& item : std::as_const(m_items))
        files.append({ item.id, item.url.toLocalFile() });
    m_worker.start([this, files] {
        QSet<QUuid> missing;
        for (const auto& [id, path] : files) {
            if (!QFileInfo::exists(path))
                missing.insert(id);
        }
        if (missing.isEmpty())
            return;
        QMetaObject::invokeMethod(this, [this, missing] {
            QList<ShelfItem> items = m_items;
            if (items.removeIf([&](const ShelfItem& item) { return missing.contains(item.id); }) == 0)
                return;
            for (const QUuid& id : missing) {
                if (m_thumbnails.remove(id))
                    Q_EMIT thumbnailChanged(id);
            }
            publish(std::move(items));
        });
    });
}

void ShelfService::publish(QList<ShelfItem> items)
{
    m_items = std::move(items);
    Q_EMIT itemsChanged();
    saveItems();
}

void ShelfService::discard(const QList<ShelfItem>& items)
{
    QStringList doomed;
    for (const ShelfItem& item : items) {
        if (m_thumbnails.remove(item.id))
            Q_EMIT thumbnailChanged(item.id);
        if (!item.isTemporary)
            continue;
        const QString path = item.url.toLocalFile();
        // Only what the shelf wrote itself is ever deleted, whatever a
        // stored list claims.
        if (!m_temporaryDirectory || QFileInfo(path).absolutePath() != *m_temporaryDirectory) {
            qCWarning(lcShelf, "Not deleting %s: it is not in the shelf's own folder", qUtf8Printable(path));
            continue;
        }
        doomed.append(path);
    }
    if (doomed.isEmpty())
        return;
    m_worker.start([doomed] {
        for (const QString& path : doomed) {
            QFile file(path);
            if (file.exists() && !file.remove())
                qCCritical(lcShelf, "Unable to delete shelf file: %s", qUtf8Printable(file.errorString()));
        }
    });
}

void ShelfService::saveItems()
{
    // Until the stored list has been read, saving would write over it; the
    // load saves what was added meanwhile.
    if (!m_storagePath || !m_isLoaded)
        return;
    m_worker.start([items = m_items, path = *m_storagePath, cache = m_bookmarks] {
        QJsonArray array;
        QHash<QUuid, QByteArray> bookmarks;
        for (const ShelfItem& item : items) {
            std::optional<QByteArray> bookmark = FileBookmark::make(item.url.toLocalFile());
            if (!bookmark && cache->contains(item.id))
                bookmark = cache->value(item.id);
            if (!bookmark)
                continue;
            bookmarks.insert(item.id, *bookmark);
            array.append(StoredShelfItem { item.id, *bookmark, item.addedAt, item.isTemporary }.toJson());
        }
        *cache = std::move(bookmarks);
        QString error;
        if (!JsonFile::write(path, QJsonDocument(array), &error, QJsonDocument::Compact))
            qCCritical(lcShelf, "Unable to save shelf: %s", qUtf8Printable(error));
    });
}

void ShelfService::loadItems()
{
    if (!m_storagePath) {
        m_isLoaded = true;
        return;
    }
    m_worker.start([this, path = *m_storagePath, home = m_homeFolder, cache = m_bookmarks] {
        QList<ShelfItem> loaded;
        for (const StoredShelfItem& item : readStoredItems(path)) {
            const std::optional<QString> resolved = FileBookmark::resolve(item.bookmark, home);
            if (!resolved) {
                qCInfo(lcShelf, "A shelf item's file could not be found again; it leaves the shelf");
                continue;
            }
            if (!QFileInfo::exists(*resolved))
                continue;
            cache->insert(item.id, item.bookmark);
            loaded.append({ item.id, ShelfItem::standardized(QUrl::fromLocalFile(*resolved)), item.addedAt, item.isTemporary });
        }
        QMetaObject::invokeMethod(this, [this, loaded] { finishLoading(loaded); });
    });
}

QList<StoredShelfItem> ShelfService::readStoredItems(const QString& path)
{
    return JsonFile::readList<StoredShelfItem>(path, lcShelf, "shelf", &StoredShelfItem::fromJson);
}

void ShelfService::finishLoading(const QList<ShelfItem>& loaded)
{
    m_isLoaded = true;
    const bool addedMeanwhile = !m_items.isEmpty();
    QSet<QUrl> seen;
    for (const ShelfItem& item : std::as_const(m_items))
        seen.insert(item.url);
    QList<ShelfItem> items = m_items;
    QList<ShelfItem> kept;
    for (const ShelfItem& item : loaded) {
        if (seen.contains(item.url))
            continue;
        seen.insert(item.url);
        items.append(item);
        kept.append(item);
    }
    const QList<ShelfItem> overflow = items.mid(shelfLimit);
    if (items.size() > shelfLimit)
        items.resize(shelfLimit);
    m_items = std::move(items);
    Q_EMIT itemsChanged();
    discard(overflow);
    for (const ShelfItem& item : std::as_const(kept)) {
        if (this->item(item.id))
            loadThumbnail(item);
    }
    // The stored list is not rewritten at load; only drops taken while it
    // was being read make a save necessary.
    if (addedMeanwhile)
        saveItems();
}

QSize ShelfService::thumbnailPixels() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal scale = screen ? screen->devicePixelRatio() : 2.0;
    const int side = qRound(thumbnailPoints * scale);
    return { side, side };
}

void ShelfService::loadThumbnail(const ShelfItem& item)
{
    const QString path = item.url.toLocalFile();
    const QSize pixels = thumbnailPixels();
    const QImage icon = m_platform.thumbnails.icon(path, pixels);
    if (!icon.isNull()) {
        m_thumbnails.insert(item.id, icon);
        Q_EMIT thumbnailChanged(item.id);
    }
    m_platform.thumbnails.request(path, pixels, this, [this, id = item.id](const QImage& image) {
        if (image.isNull() || !this->item(id))
            return;
        m_thumbnails.insert(id, image);
        Q_EMIT thumbnailChanged(id);
    });
}

void ShelfService::showInFileManager(const QList<ShelfItem>& items)
{
    QList<QUrl> urls;
    for (const ShelfItem& item : items)
        urls.append(item.url);
    if (!urls.isEmpty())
        m_platform.browser.reveal(urls);
}

void ShelfService::sendToDevice(const QList<ShelfItem>& items, const QString& deviceId)
{
    QList<QUrl> urls;
    for (const ShelfItem& item : items)
        urls.append(item.url);
    const QList<DeviceSharing::Device> devices = m_platform.sharing.devices();
    const QString target = !deviceId.isEmpty() ? deviceId : devices.size() == 1 ? devices.first().id : QString();
    if (urls.isEmpty() || target.isEmpty() || !m_platform.sharing.send(urls, target))
        qCCritical(lcShelf, "%s", LinuxWording::sendToDeviceUnavailable);
}

void ShelfService::email(const QList<ShelfItem>& items)
{
    QList<QUrl> urls;
    for (const ShelfItem& item : items)
        urls.append(item.url);
    if (!urls.isEmpty() && m_platform.sharing.canEmail())
        m_platform.sharing.email(urls);
}

void ShelfService::open(const ShelfItem& item)
{
    m_platform.browser.open(item.url);
}

void ShelfService::copy(const ShelfItem& item)
{
    if (!m_platform.systemClipboard.writeFiles({ item.url }))
        qCCritical(lcShelf, "Unable to put %s on the clipboard", qUtf8Printable(item.url.toLocalFile()));
}

QList<DeviceSharing::Device> ShelfService::devices() const
{
    return m_platform.sharing.devices();
}

bool ShelfService::canEmail() const
{
    return m_platform.sharing.canEmail();
}

void ShelfService::waitForDiskWork()
{
    // Results post more work (a written drop is added, then saved), so wait
    // until a round posts nothing.
    for (int round = 0; round < 8; ++round) {
        m_worker.waitForDone();
        QCoreApplication::sendPostedEvents(this);
        if (m_worker.activeThreadCount() == 0)
            break;
    }
}
