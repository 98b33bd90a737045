#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QObject>

#include <functional>
#include <optional>

/// Decodes artwork bytes and takes their accent colour. Large covers take
/// longer to decode than a frame lasts, so production decodes on a worker
/// thread and hands the result back to the main thread; tests decode inline.
class ArtworkDecoder final : public QObject {
    Q_OBJECT
public:
    struct Result {
        QImage image;
        std::optional<QColor> accentColor;
    };
    using Completion = std::function<void(const Result& result)>;

    explicit ArtworkDecoder(bool inBackground, QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(ArtworkDecoder)

    /// Decodes `bytes`; `done` runs on the main thread (at once when decoding
    /// inline) unless this decoder is gone by then.
    void decode(const QByteArray& bytes, Completion done);

    /// The image and its accent colour; a null image for undecodable bytes.
    static Result decodeNow(const QByteArray& bytes);
    /// The average colour (a box filter down to one premultiplied pixel),
    /// more saturated and at least 80 % bright; absent for a null image.
    static std::optional<QColor> accentColor(const QImage& image);

private:
    bool m_inBackground;
};
