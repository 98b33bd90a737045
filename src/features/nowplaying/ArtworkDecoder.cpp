#include "ArtworkDecoder.h"

#include "Log.h"

#include <QBuffer>
#include <QCoreApplication>
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
    // Decoded no larger than the views draw it on the sharpest screen, so
    // nothing is scaled down on the GUI thread and no huge image is kept.
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    const int side = int(std::ceil(largestDrawnSide * ratio));
    const QSize atMost(side, side);
    if (!m_executor) {
        done(decodeNow(bytes, atMost));
        return;
    }
    QPointer<ArtworkDecoder> self(this);
    m_executor([self, bytes, atMost, done = std::move(done)] {
        Result result = decodeNow(bytes, atMost);
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
