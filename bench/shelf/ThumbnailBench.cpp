// A drop of 30 files, each a large JPEG to preview, on a shelf over the real
// previews (icon theme, thumbnail cache, reduced reads on workers):
//   build/bench/bench_shelf_drop [rounds]
// Reports the GUI thread's time for the drop itself (the publish of 30
// items and their icons) and for each arriving preview (target < 4 ms per
// publish), and the time from the drop until the last preview shows.

#include "../BenchLoop.h"
#include "../BenchStats.h"
#include "FakeClipboard.h"
#include "FakeShelfPlatform.h"
#include "FreedesktopThumbnails.h"
#include "ShelfService.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

// Times what the GUI thread does with each preview the real renderer hands back.
class TimedThumbnails final : public FileThumbnails {
public:
    explicit TimedThumbnails(FileThumbnails& inner)
        : m_inner(inner)
    {
    }
    QImage icon(const QString& path, QSize size) override
    {
        QElapsedTimer timer;
        timer.start();
        QImage image = m_inner.icon(path, size);
        iconMs += double(timer.nsecsElapsed()) / 1e6;
        return image;
    }
    void request(const QString& path, QSize size, QObject* context, Done done) override
    {
        m_inner.request(path, size, context, [this, done = std::move(done)](const QImage& image) {
            QElapsedTimer gui;
            gui.start();
            done(image);
            publishMs.append(double(gui.nsecsElapsed()) / 1e6);
            rendered += !image.isNull();
        });
    }
    QList<double> publishMs;
    double iconMs = 0;
    int rendered = 0;

private:
    FileThumbnails& m_inner;
};

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir dir;
    QStringList photos;
    for (int i = 0; i < 30; ++i) {
        // 4000 × 3000, with detail so the encoder cannot make it trivial.
        QImage image(4000, 3000, QImage::Format_RGB32);
        QPainter painter(&image);
        painter.fillRect(image.rect(), QColor::fromHsv(i * 12, 180, 200));
        for (int line = 0; line < 3000; line += 7)
            painter.fillRect(0, line, 4000, 2, QColor::fromHsv((i * 12 + line) % 360, 200, 120));
        painter.end();
        photos.append(dir.filePath(QStringLiteral("photo-%1.jpg").arg(i)));
        image.save(photos.last(), "JPEG", 90);
    }

    std::vector<double> dropMs, iconMs, publishMs, lastMs;
    for (int round = 0; round < rounds; ++round) {
        // A fresh cache folder each round: every preview is rendered.
        QTemporaryDir cache;
        FreedesktopThumbnails real(cache.path());
        TimedThumbnails thumbnails(real);
        FakeFileBrowser browser;
        FakeDeviceSharing sharing;
        FakeClipboard systemClipboard;
        ShelfService shelf({ thumbnails, browser, sharing, systemClipboard }, std::nullopt, dir.path());
        QMimeData drop;
        QList<QUrl> urls;
        for (const QString& photo : std::as_const(photos))
            urls.append(QUrl::fromLocalFile(photo));
        drop.setUrls(urls);

        QElapsedTimer clock;
        clock.start();
        shelf.add(drop);
        dropMs.push_back(double(clock.nsecsElapsed()) / 1e6);
        iconMs.push_back(thumbnails.iconMs);
        spinUntil([&] { return thumbnails.publishMs.size() >= 30; }, 120'000);
        lastMs.push_back(double(clock.nsecsElapsed()) / 1e6);
        publishMs.insert(publishMs.end(), thumbnails.publishMs.begin(), thumbnails.publishMs.end());
        if (thumbnails.rendered != 30)
            std::fprintf(stderr, "round %d: %d of 30 previews rendered\n", round, thumbnails.rendered);
    }
    std::printf("drop of 30 files, GUI thread: median %.2f ms, max %.2f ms\n", percentile(dropMs, 0.5), percentile(dropMs, 1));
    std::printf("  of which icons: median %.2f ms\n", percentile(iconMs, 0.5));
    std::printf("each preview, GUI thread: median %.3f ms, p95 %.3f ms, max %.3f ms (%lld publishes)\n",
        percentile(publishMs, 0.5), percentile(publishMs, 0.95), percentile(publishMs, 1), qlonglong(publishMs.size()));
    std::printf("drop to last preview: median %.0f ms, max %.0f ms over %d rounds\n", percentile(lastMs, 0.5),
        percentile(lastMs, 1), rounds);
    return 0;
}
