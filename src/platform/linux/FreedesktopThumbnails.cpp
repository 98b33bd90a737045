#include "FreedesktopThumbnails.h"

#include "PlatformLog.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QImageReader>
#include <QMimeDatabase>
#include <QPixmap>
#include <QPointer>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray nativePath(const QString& path)
{
    return QFile::encodeName(QFileInfo(path).absoluteFilePath());
}

// The caller has seen a regular file at `native`; should it have become a
// FIFO or a device since, O_NONBLOCK keeps the open from waiting and the
// check of the open file refuses it before a byte is read.
bool openRegular(const QByteArray& native, QFile& file)
{
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

QImage fitted(const QImage& image, QSize box)
{
    if (image.isNull() || (image.width() <= box.width() && image.height() <= box.height()))
        return image;
    return image.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

// The image at `native`, reduced to fit `box` while it is decoded where the
// format can do that. The header's claim is checked first, so an image that
// says it is enormous costs nothing; Qt's allocation limit holds decoders
// that lie about it.
QImage readImage(const QByteArray& native, QSize box)
{
    QFile file;
    if (!openRegular(native, file))
        return {};
    QImageReader reader(&file);
    reader.setAutoTransform(true);
    const QSize claimed = reader.size();
    if (claimed.isValid()
        && (claimed.width() > FreedesktopThumbnails::maximumSide || claimed.height() > FreedesktopThumbnails::maximumSide
            || qint64(claimed.width()) * claimed.height() > FreedesktopThumbnails::maximumPixels)) {
        qCWarning(lcPlatformFiles, "No preview of %s: the image claims %dx%d pixels", qUtf8Printable(QFile::decodeName(native)),
            claimed.width(), claimed.height());
        return {};
    }
    if (box.isValid() && claimed.isValid() && (claimed.width() > box.width() || claimed.height() > box.height())) {
        // The reduced size is that of the stored image, before it is turned
        // upright.
        const QSize storedBox
            = reader.transformation().testFlag(QImageIOHandler::TransformationRotate90) ? box.transposed() : box;
        reader.setScaledSize(claimed.scaled(storedBox, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    }
    return reader.read();
}

// A preview that a file manager left in the shared cache, when it was made
// from this very file as it is now.
QImage cachedThumbnail(const QByteArray& native, qint64 modified, QSize box, const QString& folder)
{
    const QByteArray uri = FreedesktopThumbnails::cacheUri(QFile::decodeName(native));
    const QString size = qMax(box.width(), box.height()) > 128 ? QStringLiteral("large") : QStringLiteral("normal");
    const QString name = QString::fromLatin1(QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex());
    const QByteArray cached = QFile::encodeName(folder + u'/' + size + u'/' + name + QStringLiteral(".png"));
    struct stat st;
    if (::stat(cached.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    // Read whole: the keys may come after the pixels, and a cached preview is small.
    const QImage image = readImage(cached, QSize());
    if (image.text(QStringLiteral("Thumb::URI")).toUtf8() != uri
        || image.text(QStringLiteral("Thumb::MTime")) != QString::number(modified))
        return {};
    return fitted(image, box);
}

QImage render(const QString& path, QSize box, const QString& folder)
{
    if (box.isEmpty())
        return {};
    const QByteArray native = nativePath(path);
    struct stat st;
    if (::stat(native.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    if (QImage cached = cachedThumbnail(native, st.st_mtim.tv_sec, box, folder); !cached.isNull())
        return cached;
    return fitted(readImage(native, box), box);
}

} // namespace

FreedesktopThumbnails::FreedesktopThumbnails(const QString& thumbnailFolder, int workers, QObject* parent)
    : FileThumbnails(parent)
    , m_thumbnailFolder(thumbnailFolder)
{
    m_pool.setMaxThreadCount(workers);
    // The limit is the process's, read by every decode, so it is set here on
    // the GUI thread and only raised: a larger one (or none, 0) chosen with
    // QT_IMAGEIO_MAXALLOC stands.
    const int limit = QImageReader::allocationLimit();
    if (limit != 0 && limit < allocationLimitMiB)
        QImageReader::setAllocationLimit(allocationLimitMiB);
}

FreedesktopThumbnails::~FreedesktopThumbnails()
{
    m_pool.clear();
    m_pool.waitForDone();
}

QString FreedesktopThumbnails::standardFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/thumbnails");
}

QByteArray FreedesktopThumbnails::cacheUri(const QString& path)
{
    return "file://" + nativePath(path).toPercentEncoding("!$&'()*+,:=@/");
}

QImage FreedesktopThumbnails::icon(const QString& path, QSize pixelSize)
{
    if (pixelSize.isEmpty())
        return {};
    // By name only: reading the contents could block on a FIFO or a device.
    const QMimeType mime = QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    for (const QString& name : { mime.iconName(), mime.genericIconName() }) {
        const QIcon icon = QIcon::fromTheme(name);
        if (!icon.isNull())
            return icon.pixmap(pixelSize, 1.0).toImage();
    }
    return {};
}

void FreedesktopThumbnails::request(const QString& path, QSize pixelSize, QObject* context, Done done)
{
    QPointer<QObject> guard(context);
    m_pool.start([this, guard, path, pixelSize, folder = m_thumbnailFolder, done = std::move(done)]() mutable {
        QImage image = render(path, pixelSize, folder);
        // This object waits for its workers before it goes, and what is posted
        // to it dies with it; `guard` is read on the GUI thread only.
        QMetaObject::invokeMethod(
            this,
            [guard, image = std::move(image), done = std::move(done)] {
                if (guard)
                    done(image);
            },
            Qt::QueuedConnection);
    });
}
