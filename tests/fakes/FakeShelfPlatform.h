#pragma once

#include "DeviceSharing.h"
#include "FileBrowser.h"
#include "FileThumbnails.h"

#include <QPointer>

/// Icons handed out at once (a grey square, or none for names in
/// `withoutIcon`); rendered thumbnails wait until the test answers them.
class FakeFileThumbnails final : public FileThumbnails {
public:
    struct Request {
        QString path;
        QPointer<QObject> context;
        Done done;
    };
    QImage icon(const QString& path, QSize pixelSize) override
    {
        lastSize = pixelSize;
        if (withoutIcon.contains(path))
            return {};
        QImage image(pixelSize, QImage::Format_ARGB32);
        image.fill(Qt::gray);
        return image;
    }
    void request(const QString& path, QSize, QObject* context, Done done) override
    {
        requests.append({ path, context, std::move(done) });
    }
    /// Answers the oldest request for `path` with `image`.
    void answer(const QString& path, const QImage& image)
    {
        for (qsizetype i = 0; i < requests.size(); ++i) {
            if (requests[i].path == path) {
                const Request request = requests.takeAt(i);
                if (request.context)
                    request.done(image);
                return;
            }
        }
    }

    QList<Request> requests;
    QStringList withoutIcon;
    QSize lastSize;
};

class FakeFileBrowser final : public FileBrowser {
public:
    void open(const QUrl& file) override { opened.append(file); }
    void reveal(const QList<QUrl>& files) override { revealed.append(files); }
    QList<QUrl> opened;
    QList<QList<QUrl>> revealed;
};

class FakeDeviceSharing final : public DeviceSharing {
public:
    QList<Device> devices() const override { return reachable; }
    bool canEmail() const override { return hasEmail; }
    bool send(const QList<QUrl>& files, const QString& deviceId) override
    {
        for (const Device& device : std::as_const(reachable)) {
            if (device.id == deviceId) {
                sent.append({ deviceId, files });
                return true;
            }
        }
        return false;
    }
    void email(const QList<QUrl>& files) override { emailed.append(files); }

    QList<Device> reachable;
    bool hasEmail = false;
    QList<QPair<QString, QList<QUrl>>> sent;
    QList<QList<QUrl>> emailed;
};
