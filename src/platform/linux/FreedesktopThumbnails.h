#pragma once

#include "FileThumbnails.h"

#include <QThreadPool>

/// Previews the way the Linux desktop keeps them: icons from the icon theme
/// by MIME type, thumbnails from the shared freedesktop thumbnail cache that
/// file managers fill, else images read at a reduced size. Rendering runs on
/// workers of its own; only regular files are ever opened.
class FreedesktopThumbnails final : public FileThumbnails {
    Q_OBJECT
public:
    /// Claims beyond these are refused before anything is decoded.
    static constexpr int maximumSide = 20000;
    static constexpr qint64 maximumPixels = 100'000'000;
    /// The most one decode may allocate, in MiB: a full 64-Mpixel image (Qt's
    /// own default allows 32). Formats that decode straight to the reduced
    /// size (JPEG) stay far below.
    static constexpr int allocationLimitMiB = 256;

    /// `thumbnailFolder` holds the cache's normal/ and large/ folders.
    explicit FreedesktopThumbnails(const QString& thumbnailFolder = standardFolder(), int workers = 2, QObject* parent = nullptr);
    ~FreedesktopThumbnails() override;
    Q_DISABLE_COPY_MOVE(FreedesktopThumbnails)

    /// $XDG_CACHE_HOME/thumbnails.
    static QString standardFolder();
    /// The file's URI as the thumbnail cache names it: file:// and the path's
    /// bytes, escaped as GLib escapes them.
    static QByteArray cacheUri(const QString& path);

    QImage icon(const QString& path, QSize pixelSize) override;
    void request(const QString& path, QSize pixelSize, QObject* context, Done done) override;

private:
    QString m_thumbnailFolder;
    QThreadPool m_pool;
};
