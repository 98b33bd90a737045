#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QObject>

#include <functional>
#include <optional>

/// Decodes artwork bytes and takes their accent colour. Large covers take
/// longer to decode than a frame lasts, so production decodes on a worker
/// thread and hands the result back to the main thread; tests decode inline
/// or run the work themselves, in the order they choose.
class ArtworkDecoder final : public QObject {
    Q_OBJECT
public:
    struct Result {
        QImage image;
        std::optional<QColor> accentColor;
    };
    using Completion = std::function<void(const Result& result)>;
    /// Runs a piece of decoding work off the main thread.
    using Executor = std::function<void(std::function<void()> work)>;

    /// Qt's global thread pool.
    static Executor workerThreads();

    /// Without an executor, decoding runs inline and `done` is called at once.
    explicit ArtworkDecoder(Executor executor, QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(ArtworkDecoder)

    /// Decodes `bytes`; `done` runs on the main thread (at once when decoding
    /// inline) unless this decoder is gone by then.
    void decode(const QByteArray& bytes, Completion done);
    /// Reads the file at `path` and decodes it, both off the main thread.
    void decodeFile(const QString& path, Completion done);
    /// Takes the bytes out of a data: address and decodes them, both off the main thread.
    void decodeDataUrl(const QString& url, Completion done);

    /// Largest side, in points, that any view draws the artwork at.
    static constexpr int largestDrawnSide = 96;
    /// Pixels an image header may claim before the image is refused unread;
    /// covers are rarely above 3000 x 3000.
    static constexpr qint64 maximumPixels = 6000LL * 6000LL;
    /// Bytes of artwork read from a file or a data: address.
    static constexpr qint64 maximumBytes = 5 * 1024 * 1024;

    /// The bytes of a regular file of at most `maximumBytes`; absent (and
    /// logged) for anything else: a device, a FIFO, a folder.
    static std::optional<QByteArray> fileBytes(const QString& path);
    /// The bytes of a data: address, absent when it is malformed, empty or too large.
    static std::optional<QByteArray> dataUrlBytes(const QString& url);

    /// The image and its accent colour; a null image for undecodable bytes
    /// and for a header that claims more than `maximumPixels` (logged).
    /// A larger image is decoded down to just cover `atMost` (when given).
    static Result decodeNow(const QByteArray& bytes, const QSize& atMost = QSize());
    /// The average colour (a box filter down to one premultiplied pixel),
    /// more saturated and at least 80 % bright; absent for a null image.
    static std::optional<QColor> accentColor(const QImage& image);

private:
    void run(std::function<Result(const QSize& atMost)> work, Completion done);

    Executor m_executor;
};
