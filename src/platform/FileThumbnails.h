#pragma once

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>

#include <functional>

/// Previews of files: the icon of the file's type at once, and a rendered
/// thumbnail later. Only regular files are ever read.
class FileThumbnails : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(const QImage&)>;
    using QObject::QObject;

    /// The icon of the file's type, found by its name alone (the file is not
    /// opened); a null image when the icon theme has none. GUI thread.
    virtual QImage icon(const QString& path, QSize pixelSize) = 0;
    /// Renders a thumbnail that fits `pixelSize` off the GUI thread; `done`
    /// runs later on the GUI thread with the image, or a null image when none
    /// can be made. Not called when `context` is gone by then.
    virtual void request(const QString& path, QSize pixelSize, QObject* context, Done done) = 0;
};
