#include "ArtworkDecoder.h"

#include <QCoreApplication>
#include <QPointer>
#include <QRunnable>
#include <QThreadPool>

#include <algorithm>

ArtworkDecoder::ArtworkDecoder(bool inBackground, QObject* parent)
    : QObject(parent)
    , m_inBackground(inBackground)
{
}

void ArtworkDecoder::decode(const QByteArray& bytes, Completion done)
{
    if (!m_inBackground) {
        done(decodeNow(bytes));
        return;
    }
    QPointer<ArtworkDecoder> self(this);
    QThreadPool::globalInstance()->start([self, bytes, done = std::move(done)] {
        Result result = decodeNow(bytes);
        // Fields are touched on the main thread only; a decoder that is gone
        // by then drops the result.
        QMetaObject::invokeMethod(QCoreApplication::instance(), [self, done, result = std::move(result)] {
            if (self)
                done(result);
        }, Qt::QueuedConnection);
    });
}

ArtworkDecoder::Result ArtworkDecoder::decodeNow(const QByteArray& bytes)
{
    Result result;
    result.image = QImage::fromData(bytes);
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
