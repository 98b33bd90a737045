#include "ShelfService.h"
#include "FakeClipboard.h"
#include "FakeShelfPlatform.h"
#include "LogCapture.h"
#include "ManualScheduler.h"
#include "ModelMirror.h"
#include "ShelfViewLogic.h"
#include "TempDir.h"
#include "TestImages.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMimeData>
#include <QScreen>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

class ShelfServiceTest : public TempDirTest {
protected:
    ShelfServiceTest()
    {
        Clock::setSystem(&clock);
        QDir().mkpath(path(QStringLiteral("files")));
    }
    ~ShelfServiceTest() override { Clock::setSystem(nullptr); }

    ShelfService& service()
    {
        if (!m_service) {
            m_service = std::make_unique<ShelfService>(ShelfService::Platform { thumbnails, browser, sharing, systemClipboard },
                path(QStringLiteral("support")), m_dir.path());
            m_service->waitForDiskWork();
        }
        return *m_service;
    }
    void restart()
    {
        m_service.reset();
        service();
    }
    QString listFile() const { return path(listName); }
    /// A user's file under files/.
    QString userFile(const QString& name, const QByteArray& content = "x")
    {
        return writeFile(QStringLiteral("files/") + name, content);
    }
    bool drop(const QStringList& files)
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& file : files)
            urls.append(QUrl::fromLocalFile(file));
        data.setUrls(urls);
        const bool taken = service().add(data);
        service().waitForDiskWork();
        return taken;
    }
    bool dropData(const QString& type, const QByteArray& bytes)
    {
        QMimeData data;
        data.setData(type, bytes);
        const bool taken = service().add(data);
        service().waitForDiskWork();
        return taken;
    }
    QStringList names() const
    {
        QStringList names;
        for (const ShelfItem& item : m_service->items())
            names.append(item.url.fileName());
        return names;
    }
    QJsonArray saved() const { return readJsonArray(listName); }
    void writeList(const QByteArray& bytes) { writeFile(listName, bytes); }
    const QString listName = QStringLiteral("support/com.larkmoor.Brimwell/shelf.json");

    ManualScheduler clock { QDateTime(QDate(2025, 1, 31), QTime(9, 5, 7), Qt::UTC) };
    FakeFileThumbnails thumbnails;
    FakeFileBrowser browser;
    FakeDeviceSharing sharing;
    FakeClipboard systemClipboard;
    LogCapture log;
    std::unique_ptr<ShelfService> m_service;
};

TEST_F(ShelfServiceTest, DropsGoOnTopInTheirOrderOnceEachAndThirtyAtMost)
{
    const QString a = userFile(QStringLiteral("a.txt")), b = userFile(QStringLiteral("b.txt")),
                  c = userFile(QStringLiteral("c.txt"));
    ASSERT_TRUE(drop({ a, b, c }));
    EXPECT_EQ(names(), (QStringList { "a.txt", "b.txt", "c.txt" }));
    EXPECT_EQ(service().items()[0].addedAt, service().items()[2].addedAt);

    // Already there, also as a path spelt differently: nothing moves.
    clock.advance(5000);
    const QList<ShelfItem> before = service().items();
    EXPECT_TRUE(drop({ path(QStringLiteral("files/./x/../b.txt")) }));
    EXPECT_EQ(service().items(), before);
    // Listed twice in one drop: added once, at its later place.
    const QString d = userFile(QStringLiteral("d.txt")), e = userFile(QStringLiteral("e.txt"));
    ASSERT_TRUE(drop({ d, e, d }));
    EXPECT_EQ(names().mid(0, 2), (QStringList { "e.txt", "d.txt" }));

    // Filled up with a written text at the bottom, two more push out the
    // oldest; the shelf's own file goes with its item, the user's stays.
    restart();
    service().clear();
    ASSERT_TRUE(dropData(QStringLiteral("text/plain"), "note"));
    QStringList many;
    for (int i = 0; i < 29; ++i)
        many.append(userFile(QStringLiteral("f%1").arg(i)));
    ASSERT_TRUE(drop(many));
    ASSERT_EQ(service().count(), 30);
    const QString written = service().items().last().url.toLocalFile();
    ASSERT_TRUE(QFile::exists(written));
    ASSERT_TRUE(drop({ userFile(QStringLiteral("new1")), userFile(QStringLiteral("new2")) }));
    EXPECT_EQ(service().count(), 30);
    EXPECT_EQ(names().mid(0, 2), (QStringList { "new1", "new2" }));
    EXPECT_FALSE(QFile::exists(written));
    EXPECT_FALSE(names().contains(QStringLiteral("f28")));
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("files/f28"))));
    EXPECT_FALSE(service().thumbnails().contains(QUuid())) << "no stray previews";
    EXPECT_EQ(service().thumbnails().size(), 30);

    // Ten thousand files: the first thirty are kept, no more are made.
    QStringList flood;
    for (int i = 0; i < 10'000; ++i)
        flood.append(path(QStringLiteral("files/flood%1").arg(i)));
    thumbnails.requests.clear();
    ASSERT_TRUE(drop(flood));
    EXPECT_EQ(std::pair(names().first(), names().last()), std::pair(QStringLiteral("flood0"), QStringLiteral("flood29")));
    EXPECT_EQ(thumbnails.requests.size(), 30);

    // A name that is not UTF-8 cannot be kept without naming another file.
    QMimeData odd;
    odd.setData(QStringLiteral("text/uri-list"), "file:///tmp/caf%E9.txt\r\n");
    EXPECT_FALSE(service().add(odd));
    EXPECT_TRUE(log.mentions("not valid UTF-8"));
}

TEST_F(ShelfServiceTest, ImagesAndTextsAreWrittenIntoTheShelfFolder)
{
    const QByteArray png = TestImages::png(TestImages::filled(QSize(40, 20), Qt::red));
    ASSERT_TRUE(dropData(QStringLiteral("image/png"), png));
    ASSERT_TRUE(dropData(QStringLiteral("image/png"), png));
    EXPECT_EQ(names(), (QStringList { "Image 2025-01-31T09-05-07 2.png", "Image 2025-01-31T09-05-07.png" }));
    EXPECT_TRUE(service().items()[0].isTemporary);
    EXPECT_EQ(QImage(service().items()[0].url.toLocalFile()).size(), QSize(40, 20));

    // Text is kept untrimmed; blank text is nothing; a link dragged alone
    // becomes a text holding its address.
    ASSERT_TRUE(dropData(QStringLiteral("text/plain"), "  two\nlines \n"));
    QFile text(service().items()[0].url.toLocalFile());
    ASSERT_TRUE(text.open(QIODevice::ReadOnly));
    EXPECT_EQ(text.readAll(), "  two\nlines \n");
    EXPECT_EQ(text.fileName(), path(QStringLiteral("support/com.larkmoor.Brimwell/Shelf/Text 2025-01-31T09-05-07.txt")));
    EXPECT_FALSE(dropData(QStringLiteral("text/plain"), " \n\t "));
    EXPECT_FALSE(dropData(QStringLiteral("application/octet-stream"), "?"));
    QMimeData link;
    link.setUrls({ QUrl(QStringLiteral("https://example.org/page")) });
    EXPECT_TRUE(service().add(link));
    service().waitForDiskWork();
    QFile address(service().items()[0].url.toLocalFile());
    ASSERT_TRUE(address.open(QIODevice::ReadOnly));
    EXPECT_EQ(address.readAll(), "https://example.org/page");
    EXPECT_EQ(service().count(), 4);

    // An image that cannot be decoded falls back to the text beside it; one
    // claiming 100,000 × 100,000 pixels is not decoded at all.
    QMimeData broken;
    broken.setData(QStringLiteral("image/png"), "\x89PNG\r\n\x1a\n garbage");
    broken.setText(QStringLiteral("caption"));
    EXPECT_TRUE(service().add(broken));
    service().waitForDiskWork();
    EXPECT_TRUE(names().first().startsWith(QLatin1String("Text ")));
    EXPECT_FALSE(dropData(QStringLiteral("image/png"), TestImages::hugePng()));
    EXPECT_TRUE(log.mentions("100000 × 100000 pixels is too large"));
    EXPECT_EQ(service().count(), 5);
}

TEST_F(ShelfServiceTest, RemovingDeletesOnlyTheShelfsOwnFiles)
{
    const QString mine = userFile(QStringLiteral("mine.txt"));
    ASSERT_TRUE(drop({ mine }));
    ASSERT_TRUE(dropData(QStringLiteral("text/plain"), "note"));
    const ShelfItem note = service().items()[0];
    service().remove(note);
    service().remove(service().items()[0]);
    service().waitForDiskWork();
    EXPECT_EQ(service().count(), 0);
    EXPECT_FALSE(QFile::exists(note.url.toLocalFile()));
    EXPECT_TRUE(QFile::exists(mine));

    // A list that calls a user's file temporary cannot have it deleted, nor
    // one in a folder whose name only begins like the shelf's.
    const QString neighbour = writeFile(QStringLiteral("support/com.larkmoor.Brimwell/Shelfish/n.txt"), {});
    ASSERT_TRUE(drop({ mine, neighbour }));
    QJsonArray list = saved();
    for (qsizetype i = 0; i < list.size(); ++i) {
        QJsonObject entry = list[i].toObject();
        entry[QStringLiteral("isTemporary")] = true;
        list[i] = entry;
    }
    writeList(QJsonDocument(list).toJson());
    restart();
    ASSERT_EQ(service().count(), 2);
    service().clear();
    service().waitForDiskWork();
    EXPECT_TRUE(QFile::exists(mine));
    EXPECT_TRUE(QFile::exists(neighbour));
    EXPECT_EQ(log.messages().filter(QStringLiteral("Not deleting")).size(), 2);

    // Clearing an empty shelf writes nothing.
    QFile::remove(listFile());
    service().clear();
    service().waitForDiskWork();
    EXPECT_FALSE(QFile::exists(listFile()));
}

TEST_F(ShelfServiceTest, TheListSurvivesARestartAndFollowsRenamedFiles)
{
    const QString kept = userFile(QStringLiteral("kept.txt"));
    const QString renamed = userFile(QStringLiteral("docs/old name.txt"));
    const QString deleted = userFile(QStringLiteral("deleted.txt"));
    ASSERT_TRUE(drop({ kept, renamed, deleted }));
    ASSERT_TRUE(dropData(QStringLiteral("text/plain"), "note"));
    const QJsonArray list = saved();
    ASSERT_EQ(list.size(), 4);
    EXPECT_EQ(QFileInfo(listFile()).permissions() & 0x0077, 0) << "owner only";
    const QJsonObject first = list[0].toObject();
    EXPECT_EQ(first.keys(), (QStringList { "addedAt", "bookmark", "id", "isTemporary" }));
    EXPECT_EQ(first[QStringLiteral("id")].toString(), first[QStringLiteral("id")].toString().toUpper());

    const QList<ShelfItem> before = service().items();
    m_service.reset();
    QDir().mkpath(path(QStringLiteral("files/archive")));
    ASSERT_TRUE(QFile::rename(renamed, path(QStringLiteral("files/archive/new name.txt"))));
    ASSERT_TRUE(QFile::remove(deleted));
    service();
    EXPECT_EQ(names(), (QStringList { before[0].url.fileName(), "kept.txt", "new name.txt" }));
    EXPECT_EQ(service().items()[1], before[1]);
    EXPECT_EQ(service().items()[0].addedAt, before[0].addedAt);
    // Loading does not rewrite the list; the next change does.
    EXPECT_EQ(saved().size(), 4);
}

TEST_F(ShelfServiceTest, BadListsAreKeptAsideAndBadBookmarksLeaveTheShelf)
{
    writeList("[{\"id\":\"nope\"}]");
    restart();
    EXPECT_EQ(service().count(), 0);
    EXPECT_TRUE(log.mentions("Unable to read shelf"));
    EXPECT_TRUE(QFile::exists(listFile() + QStringLiteral(".corrupt")));

    // Well-formed, but the bookmarks decode to garbage or name nothing.
    const QString good = userFile(QStringLiteral("good.txt"));
    ASSERT_TRUE(drop({ good }));
    QJsonArray list = saved();
    for (const QByteArray& bookmark : { QByteArray("garbage"), QByteArray(), QByteArray(4096, '\xff') }) {
        QJsonObject entry = list[0].toObject();
        entry[QStringLiteral("id")] = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
        entry[QStringLiteral("bookmark")] = QString::fromLatin1(bookmark.toBase64());
        list.append(entry);
    }
    writeList(QJsonDocument(list).toJson());
    restart();
    EXPECT_EQ(names(), (QStringList { "good.txt" }));
    EXPECT_TRUE(log.mentions("could not be found again"));
}

TEST_F(ShelfServiceTest, TheTabFollowsTheShelfRowByRowAndPreviewsReplaceIcons)
{
    const QString a = userFile(QStringLiteral("a.png")), b = userFile(QStringLiteral("b.png"));
    thumbnails.withoutIcon = { b };
    ShelfViewLogic logic;
    ShelfTileModel& tiles = *logic.tiles();
    QAbstractItemModelTester tester(&tiles);
    ModelMirror<QString> view(tiles, [&](int row) { return tiles.data(tiles.index(row), ShelfTileModel::NameRole).toString(); });
    QSignalSpy content(&logic, &ShelfViewLogic::contentChanged);
    logic.setService(&service());
    EXPECT_EQ(logic.content(), ShelfContent::empty);

    ASSERT_TRUE(drop({ a, b }));
    EXPECT_EQ(view.rows, (QStringList { "a.png", "b.png" }));
    EXPECT_EQ(logic.content(), ShelfContent::items);
    EXPECT_EQ(content.count(), 1);
    EXPECT_EQ(logic.headerText(), QStringLiteral("2 items · Drag out to use"));
    const QVariant id = tiles.data(tiles.index(1), ShelfTileModel::ItemIdRole);
    EXPECT_EQ(id.metaType(), QMetaType::fromType<QUuid>());
    EXPECT_EQ(id.toUuid(), service().items()[1].id);
    EXPECT_EQ(tiles.data(tiles.index(1), ShelfTileModel::PathRole).toString(), b);
    const QUuid idA = service().items()[0].id;
    EXPECT_TRUE(service().thumbnails().contains(idA));
    EXPECT_FALSE(service().thumbnails().contains(id.toUuid()));
    EXPECT_EQ(thumbnails.lastSize.width(), qRound(96 * qApp->primaryScreen()->devicePixelRatio()));

    // A preview that arrives changes its own row, in that role alone; none made leaves the icon.
    const QImage rendered = TestImages::filled(QSize(10, 10), Qt::blue);
    view.take(); // a's icon came at once
    thumbnails.answer(b, rendered);
    EXPECT_EQ(view.take(), QStringList { "change 1 preview" });
    EXPECT_EQ(tiles.data(tiles.index(1), ShelfTileModel::PreviewRole).value<QImage>(), rendered);
    thumbnails.answer(a, QImage());
    EXPECT_EQ(service().thumbnails().value(idA).pixelColor(0, 0), QColor(Qt::gray));

    // A late preview for an item already gone is dropped.
    const QString d = userFile(QStringLiteral("d.png"));
    ASSERT_TRUE(drop({ d }));
    const QUuid idD = service().items()[0].id;
    service().remove(service().items()[0]);
    thumbnails.answer(d, rendered);
    EXPECT_FALSE(service().thumbnails().contains(idD));

    ASSERT_TRUE(drop({ userFile(QStringLiteral("c.png")) }));
    EXPECT_EQ(view.rows, (QStringList { "c.png", "a.png", "b.png" }));
    // Shown again, the tab lets a deleted file go.
    ASSERT_TRUE(QFile::remove(a));
    logic.setActive(true);
    service().waitForDiskWork();
    EXPECT_EQ(view.rows, (QStringList { "c.png", "b.png" }));
    EXPECT_EQ(saved().size(), 2);
    logic.remove(id.toUuid());
    EXPECT_EQ(view.rows, (QStringList { "c.png" }));
    EXPECT_EQ(logic.headerText(), QStringLiteral("1 item · Drag out to use"));
    logic.clear();
    EXPECT_TRUE(view.rows.isEmpty());
    EXPECT_EQ(logic.content(), ShelfContent::empty);
    EXPECT_EQ(content.count(), 2);
    EXPECT_EQ(view.resets, 0);
}

TEST_F(ShelfServiceTest, DevicesFollowSharingRowByRowAndSendingGoesToTheOnlyOrTheChosenOne)
{
    using Device = DeviceSharing::Device;
    ShelfViewLogic logic;
    logic.setService(&service());
    ShelfDeviceModel& devices = *logic.devices();
    QAbstractItemModelTester tester(&devices);
    ModelMirror<QString> menu(
        devices, [&](int row) { return devices.data(devices.index(row), ShelfDeviceModel::NameRole).toString(); });
    QSignalSpy canSend(&logic, &ShelfViewLogic::canSendChanged);
    const auto offer = [&](const QList<Device>& reachable) {
        sharing.reachable = reachable;
        Q_EMIT sharing.availabilityChanged();
        return menu.rows;
    };
    const Device phone { QStringLiteral("p"), QStringLiteral("Phone") }, tablet { QStringLiteral("t"), QStringLiteral("Tablet") },
        laptop { QStringLiteral("l"), QStringLiteral("Laptop") }, watch { QStringLiteral("w"), QStringLiteral("Watch") };
    EXPECT_EQ(offer({ phone, tablet, laptop }), (QStringList { "Phone", "Tablet", "Laptop" }));
    EXPECT_TRUE(logic.canSend());
    EXPECT_EQ(offer({ laptop, phone, tablet }), (QStringList { "Laptop", "Phone", "Tablet" }));
    EXPECT_EQ(menu.events.filter(QStringLiteral("move")).size(), 1);
    EXPECT_EQ(offer({ tablet, watch, laptop }), (QStringList { "Tablet", "Watch", "Laptop" }));
    EXPECT_EQ(
        offer({ tablet, { watch.id, QStringLiteral("Old watch") }, laptop }), (QStringList { "Tablet", "Old watch", "Laptop" }));
    EXPECT_EQ(menu.events.last(), QStringLiteral("change 1"));
    EXPECT_EQ(canSend.count(), 1);
    EXPECT_EQ(offer({}), QStringList());
    EXPECT_FALSE(logic.canSend());
    EXPECT_EQ(canSend.count(), 2);
    EXPECT_EQ(menu.resets, 0);

    const QString a = userFile(QStringLiteral("a"));
    ASSERT_TRUE(drop({ a }));
    service().sendToDevice(service().items());
    EXPECT_TRUE(log.contains("Send to Device is not available for the selected items"));

    sharing.reachable = { { QStringLiteral("phone"), QStringLiteral("Phone") } };
    service().sendToDevice(service().items());
    const QList<QUrl> files { QUrl::fromLocalFile(a) };
    EXPECT_EQ(sharing.sent, (QList<QPair<QString, QList<QUrl>>> { { QStringLiteral("phone"), files } }));

    sharing.reachable.append({ QStringLiteral("tablet"), QStringLiteral("Tablet") });
    service().sendToDevice(service().items());
    EXPECT_EQ(sharing.sent.size(), 1) << "two devices: the user has to pick";
    service().sendToDevice(service().items(), QStringLiteral("tablet"));
    EXPECT_EQ(sharing.sent.last().first, QStringLiteral("tablet"));

    // Mail only where a mail program is; opening and revealing go to the file manager.
    service().email(service().items());
    EXPECT_TRUE(sharing.emailed.isEmpty());
    sharing.hasEmail = true;
    service().email({});
    service().email(service().items());
    EXPECT_EQ(sharing.emailed, QList<QList<QUrl>> { files });
    service().open(service().items()[0]);
    service().showInFileManager(service().items());
    EXPECT_EQ(browser.opened, files);
    EXPECT_EQ(browser.revealed, QList<QList<QUrl>> { files });

    // Copy puts the file on the clipboard as a file list, which the
    // clipboard history skips.
    service().copy(service().items()[0]);
    EXPECT_EQ(systemClipboard.writtenFiles, files);
}

} // namespace
