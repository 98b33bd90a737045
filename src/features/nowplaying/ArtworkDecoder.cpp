#include "ArtworkDecoder.h"

#include "NowPlayingLog.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QPointer>
#include <QRunnable>
#include <QThreadPool>

#include <algorithm>
#include <cmath>

ArtworkDecoder::Executor ArtworkDecoder::workerThreads()
{
    return [](std::function<void()> work) { QThreadPool::globalInstance()->start(std::move(work)); };
}

ArtworkDecoder::ArtworkDecoder(Executor executor, QObject* parent)
    : QObject(parent)
    , m_executor(std::move(executor))
{
}

void ArtworkDecoder::decode(const QByteArray& bytes, Completion done)
{
    run([bytes](const QSize& atMost) { return decodeNow(bytes, atMost); }, std::move(done));
}

void ArtworkDecoder::decodeFile(const QString& path, Completion done)
{
    run(
        [path](const QSize& atMost) {
            const std::optional<QByteArray> bytes = fileBytes(path);
            return bytes ? decodeNow(*bytes, atMost) : Result();
        },
        std::move(done));
}

void ArtworkDecoder::decodeDataUrl(const QString& url, Completion done)
{
    // A cover in the address can be megabytes of base64: undone off the GUI thread too.
    run(
        [url](const QSize& atMost) {
            const std::optional<QByteArray> bytes = dataUrlBytes(url);
            if (!bytes) {
                qCWarning(lcNowPlaying, "Ignoring artwork: a malformed, empty or oversized data address");
                return Result();
            }
            return decodeNow(*bytes, atMost);
        },
        std::move(done));
}

void ArtworkDecoder::run(std::function<Result(const QSize&)> work, Completion done)
{
    // Decoded no larger than the views draw it on the sharpest screen, so
    // nothing is scaled down on the GUI thread and no huge image is kept.
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    const int side = int(std::ceil(largestDrawnSide * ratio));
    const QSize atMost(side, side);
    if (!m_executor) {
        done(work(atMost));
        return;
    }
    QPointer<ArtworkDecoder> self(this);
    m_executor([self, work = std::move(work), atMost, done = std::move(done)] {
        Result result = work(atMost);
        // Fields are touched on the main thread only; a decoder that is gone
        // by then drops the result.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, done, result = std::move(result)] {
                if (self)
                    done(result);
            },
            Qt::QueuedConnection);
    });
}

std::optional<QByteArray> ArtworkDecoder::fileBytes(const QString& path)
{
    // Only regular files: opening a FIFO blocks for ever, and a device
    // reports size 0 and then reads without end.
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > maximumBytes) {
        qCWarning(
            lcNowPlaying, "Ignoring artwork %s: not a regular file of at most %lld bytes", qUtf8Printable(path), maximumBytes);
        return std::nullopt;
    }
    QFile file(info.absoluteFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.read(maximumBytes);
    return bytes.isEmpty() ? std::nullopt : std::optional<QByteArray>(bytes);
}

std::optional<QByteArray> ArtworkDecoder::dataUrlBytes(const QString& url)
{
    // data:[<media type>][;base64],<data>
    const qsizetype comma = url.indexOf(QLatin1Char(','));
    if (!url.startsWith(QLatin1String("data:"), Qt::CaseInsensitive) || comma < 0)
        return std::nullopt;
    const QString header = url.mid(5, comma - 5);
    const QByteArray data = QByteArray::fromPercentEncoding(url.mid(comma + 1).toUtf8());
    QByteArray bytes = data;
    if (header.endsWith(QLatin1String(";base64"), Qt::CaseInsensitive)) {
        auto decoded = QByteArray::fromBase64Encoding(data, QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded)
            return std::nullopt;
        bytes = *decoded;
    }
    if (bytes.isEmpty() || bytes.size() > maximumBytes)
        return std::nullopt;
    return bytes;
}

ArtworkDecoder::Result ArtworkDecoder::decodeNow(const QByteArray& bytes, const QSize& atMost)
{
    Result result;
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (size.isValid()) {
        if (qint64(size.width()) * size.height() > maximumPixels) {
            qCCritical(
                lcNowPlaying, "Ignoring artwork of %dx%d pixels: more than %lld", size.width(), size.height(), maximumPixels);
            return result;
        }
        if (atMost.isValid() && size.width() > atMost.width() && size.height() > atMost.height())
            reader.setScaledSize(size.scaled(atMost, Qt::KeepAspectRatioByExpanding));
    }
    result.image = reader.read();
    result.accentColor = accentColor(result.image);
    return result;
}

std::optional<QColor> ArtworkDecoder::accentColor(const QImage& image)
{
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        return std::nullopt;
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (pixels.isNull())
        return std::nullopt;

    // One pixel that averages the whole image; transparency darkens it
    // because the channels are premultiplied.
    quint64 red = 0, green = 0, blue = 0;
    for (int y = 0; y < pixels.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        for (int x = 0; x < pixels.width(); ++x) {
            red += qRed(line[x]);
            green += qGreen(line[x]);
            blue += qBlue(line[x]);
        }
    }
    const quint64 count = quint64(pixels.width()) * quint64(pixels.height());
    auto byte = [count](quint64 sum) { return int((sum + count / 2) / count); };
    const QColor average = QColor::fromRgb(byte(red), byte(green), byte(blue));

    float hue = 0, saturation = 0, brightness = 0;
    average.getHsvF(&hue, &saturation, &brightness);
    if (hue < 0) // achromatic
        hue = 0;
    saturation = std::min(saturation * 1.25f, 1.0f);
    brightness = std::max(brightness, 0.8f);
    return QColor::fromHsvF(hue, saturation, brightness, 1.0f);
}
