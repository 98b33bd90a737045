#include "FreedesktopThumbnails.h"
#include "LogCapture.h"
#include "TempDir.h"
#include "TestImages.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

class FileThumbnailsTest : public TempDirTest {
protected:
    QString writeImage(const QString& name, QSize size, Qt::GlobalColor colour, const QByteArray& uri = {}, qint64 mtime = 0)
    {
        QImage image = TestImages::filled(size, colour);
        if (!uri.isEmpty()) {
            image.setText("Thumb::URI", uri);
            image.setText("Thumb::MTime", QString::number(mtime));
        }
        EXPECT_TRUE(image.save(writeFile(name, {})));
        return path(name);
    }
    QImage render(const QString& file, QSize box = { 192, 192 })
    {
        std::optional<QImage> result;
        QObject context;
        m_thumbnails.request(file, box, &context, [&](const QImage& image) { result = image; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 5000)) << file.toStdString();
        return result.value_or(QImage());
    }

    // One worker, so requests finish in the order they were made.
    FreedesktopThumbnails m_thumbnails { path("thumbnails"), 1 };
};

} // namespace

TEST_F(FileThumbnailsTest, ImagesAreReducedToFitWhileSomeoneWaitsOrComeFromAMatchingCache)
{
    EXPECT_EQ(render(writeImage("wide.jpg", { 400, 200 }, Qt::red)).size(), QSize(192, 96));
    EXPECT_EQ(render(writeImage("tall.png", { 100, 300 }, Qt::red)).size(), QSize(64, 192));
    EXPECT_EQ(render(writeImage("small.png", { 50, 40 }, Qt::red)).size(), QSize(50, 40));

    // No answer once the request's context is gone.
    const QString image = writeImage("image.png", { 10, 10 }, Qt::red);
    bool answered = false;
    auto context = std::make_unique<QObject>();
    m_thumbnails.request(image, { 96, 96 }, context.get(), [&](const QImage&) { answered = true; });
    context.reset();
    EXPECT_FALSE(render(image).isNull()); // answered after the first
    EXPECT_FALSE(answered);

    // A cached preview is used only while it matches the file.
    EXPECT_EQ(FreedesktopThumbnails::cacheUri(QString::fromUtf8("/tmp/a b/ü;#[x]!$&'()*+,:=@~%.png")),
        "file:///tmp/a%20b/%C3%BC%3B%23%5Bx%5D!$&'()*+,:=@~%25.png");

    const QString photo = writeImage("my photos/été;1.png", { 400, 400 }, Qt::red);
    const QByteArray uri = FreedesktopThumbnails::cacheUri(photo);
    const QString cached = "thumbnails/large/" + QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex() + ".png";
    const qint64 modified = QFileInfo(photo).lastModified().toSecsSinceEpoch();
    const auto cache = [&](qint64 mtime) { writeImage(cached, { 256, 256 }, Qt::blue, uri, mtime); };

    cache(modified);
    const QImage hit = render(photo);
    EXPECT_EQ(hit.size(), QSize(192, 192));
    EXPECT_EQ(hit.pixelColor(96, 96), QColor(Qt::blue));

    for (const qint64 stale : { modified - 1, modified + 1 }) {
        cache(stale);
        EXPECT_EQ(render(photo).pixelColor(96, 96), QColor(Qt::red)) << stale - modified;
    }
}

TEST_F(FileThumbnailsTest, AHugeClaimAndAnythingButARegularFileGetNoPreview)
{
    // Opening a FIFO without a writer would block the worker for good.
    const QString fifo = path("pipe.png");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    m_thumbnails.icon(fifo, { 32, 32 });
    // A huge claim is refused, with a log line, before decoding.
    const QString huge = writeFile("huge.png", TestImages::hugePng());
    for (const QString& file : { huge, fifo, QStringLiteral("/dev/zero"), m_dir.path(), path("missing.png") }) {
        SCOPED_TRACE(file.toStdString());
        LogCapture log;
        EXPECT_TRUE(render(file).isNull());
        EXPECT_TRUE(file != huge || log.mentions(file));
    }
}
