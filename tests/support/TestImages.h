#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QtEndian>

namespace TestImages {

/// An image of one colour.
inline QImage filled(QSize size, const QColor& color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

/// `image` as PNG bytes.
inline QByteArray png(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

/// A PNG whose header claims 100,000 x 100,000 pixels (8-bit RGBA), followed
/// by a few bytes of zeros: what a decoder must refuse before allocating.
inline QByteArray hugePng()
{
    const auto bigEndian = [](quint32 value) {
        QByteArray bytes(4, Qt::Uninitialized);
        qToBigEndian(value, bytes.data());
        return bytes;
    };
    const auto chunk = [&](const QByteArray& type, const QByteArray& data) {
        quint32 crc = 0xffffffff;
        for (const char c : type + data) {
            crc ^= quint8(c);
            for (int bit = 0; bit < 8; ++bit)
                crc = (crc >> 1) ^ (0xedb88320 & (0u - (crc & 1)));
        }
        return bigEndian(quint32(data.size())) + type + data + bigEndian(~crc);
    };
    const QByteArray header = bigEndian(100000) + bigEndian(100000) + QByteArray("\x08\x06\x00\x00\x00", 5);
    return "\x89PNG\r\n\x1a\n" + chunk("IHDR", header) + chunk("IDAT", qCompress(QByteArray(64, 0)).mid(4));
}

} // namespace TestImages
