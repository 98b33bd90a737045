#include "ClipboardService.h"
#include "ClipboardViewLogic.h"
#include "FakeClipboard.h"
#include "LogCapture.h"
#include "ManualScheduler.h"
#include "ModelMirror.h"
#include "TempDir.h"
#include "WallClockEvents.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <gtest/gtest.h>

#include <random>

namespace {

TEST(ClipboardItemTest, PreviewCutsWholeCharactersAndCollapsesWhiteSpace)
{
    EXPECT_EQ(ClipboardItem::preview(QStringLiteral("  one\n\ttwo   three \n")), QStringLiteral("one two three"));
    EXPECT_EQ(ClipboardItem::preview(QString(300, QLatin1Char(' ')) + QStringLiteral("late")), QString());
    // A family emoji is one character of eleven UTF-16 units; an e with a
    // combining accent is one of two.
    const QString family = QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466");
    const QString accented = QStringLiteral("e\u0301");
    const QString preview = ClipboardItem::preview(QString(299, QLatin1Char('a')) + family + QStringLiteral("b"));
    EXPECT_TRUE(preview.endsWith(family));
    EXPECT_EQ(ClipboardItem::preview(QString(299, QLatin1Char('a')) + accented + QStringLiteral("x")).right(2), accented);
}

class ClipboardServiceTest : public TempDirTest {
protected:
    ClipboardServiceTest() { Clock::setSystem(&scheduler); }
    ~ClipboardServiceTest() override { Clock::setSystem(nullptr); }

    ClipboardService& service()
    {
        if (!m_service)
            m_service = std::make_unique<ClipboardService>(systemClipboard, m_dir.path(), scheduler);
        return *m_service;
    }
    QString file() const { return path(historyName); }
    void writeHistory(const QByteArray& bytes) { writeFile(historyName, bytes); }
    QJsonArray saved()
    {
        service().waitForSaves();
        return readJsonArray(historyName);
    }
    const QString historyName = QStringLiteral("com.larkmoor.Brimwell/clipboard-history.json");
    /// Another program copies; the next beat looks and the read answers.
    void copied(const QString& text, SystemClipboard::Kind kind = SystemClipboard::Kind::plain,
        std::optional<QString> source = std::nullopt)
    {
        systemClipboard.copy(text, kind, std::move(source));
        scheduler.advance(750);
        systemClipboard.answer();
    }
    QStringList texts()
    {
        QStringList list;
        for (const ClipboardItem& item : service().items())
            list << item.text;
        return list;
    }

    LogCapture log;
    ManualScheduler scheduler;
    FakeClipboard systemClipboard;
    std::unique_ptr<ClipboardService> m_service;
};

TEST_F(ClipboardServiceTest, TakesEachCopyOnceOnTheBeatAndNothingFromBeforeStart)
{
    systemClipboard.copy(QStringLiteral("already there"));
    service().start();
    scheduler.advance(5000);
    EXPECT_EQ(systemClipboard.reads, 0) << "no change, no read, no wake-up";
    EXPECT_EQ(scheduler.pendingCount(), 0);

    scheduler.advance(100);
    systemClipboard.copy(QStringLiteral("one"));
    systemClipboard.copy(QStringLiteral("two")); // same beat (7 × 0.75 s after start): one look
    scheduler.advance(149);
    EXPECT_EQ(systemClipboard.reads, 0);
    scheduler.advance(1);
    systemClipboard.answer();
    EXPECT_EQ(texts(), QStringList { QStringLiteral("two") });

    copied(QStringLiteral(" \n\t "));
    copied(QString(100'001, QLatin1Char('x')));
    copied(QString(100'000, QLatin1Char('y')));
    copied(QStringLiteral("a"));
    copied(QStringLiteral(" a "), SystemClipboard::Kind::plain, QStringLiteral("Editor"));
    copied(QStringLiteral("two"), SystemClipboard::Kind::plain, QStringLiteral("Terminal"));
    EXPECT_EQ(texts(),
        (QStringList { QStringLiteral("two"), QStringLiteral(" a "), QStringLiteral("a"), QString(100'000, QLatin1Char('y')) }));
    EXPECT_EQ(service().items().first().sourceAppName, QStringLiteral("Terminal"));
    EXPECT_EQ(service().items().first().copiedAt, scheduler.now());
    // The same text composed (NFC) and decomposed (NFD) is one entry; without the accent it is another.
    const QString composed = QStringLiteral("caf\u00e9"), decomposed = QStringLiteral("cafe\u0301");
    copied(composed);
    copied(QStringLiteral("cafe"));
    copied(decomposed);
    EXPECT_EQ(texts().mid(0, 3), (QStringList { decomposed, QStringLiteral("cafe"), QStringLiteral("two") }));
    EXPECT_EQ(service().count(), 6);

    // Twenty entries at most: the twenty-first pushes out the oldest.
    for (int i = 0; i < 14; ++i)
        copied(QString::number(i));
    EXPECT_EQ(std::pair(service().count(), texts().last()), std::pair(20, QString(100'000, QLatin1Char('y'))));
    for (int i = 14; i < 25; ++i)
        copied(QString::number(i));
    EXPECT_EQ(std::pair(service().count(), texts().first()), std::pair(20, QStringLiteral("24")));
    EXPECT_EQ(saved().size(), 20);

    service().stop();
    copied(QStringLiteral("while stopped"));
    EXPECT_EQ(texts().first(), QStringLiteral("24"));
}

TEST_F(ClipboardServiceTest, MarkedSecretsFileCopiesAndOurOwnWritesAreNeverTaken)
{
    service().start();
    copied(QStringLiteral("hunter2"), SystemClipboard::Kind::secret);
    copied(QStringLiteral("/home/me/a.txt"), SystemClipboard::Kind::files);
    copied(QStringLiteral("mine"), SystemClipboard::Kind::own);
    EXPECT_TRUE(service().items().isEmpty());

    copied(QStringLiteral("shown"));
    copied(QStringLiteral("https://example.org"));
    EXPECT_EQ(texts(), (QStringList { QStringLiteral("https://example.org"), QStringLiteral("shown") }));

    // Copying back: on top, same id, fresh time, and not taken again.
    const ClipboardItem older = service().items().last();
    scheduler.advance(60'000);
    service().copy(older.id);
    scheduler.advance(750);
    systemClipboard.answer();
    EXPECT_EQ(service().count(), 2);
    EXPECT_EQ(service().items().first().id, older.id);
    EXPECT_EQ(service().items().first().copiedAt, scheduler.now().addMSecs(-750));

    systemClipboard.failWrites = true;
    service().copy(service().items().last());
    EXPECT_TRUE(log.contains(QStringLiteral("Unable to write item to the pasteboard")));
    EXPECT_EQ(service().items().first().id, older.id);

    // An owner that never answers costs the copy, with a line saying so.
    systemClipboard.copy(QStringLiteral("late"));
    systemClipboard.contents.timedOut = true;
    scheduler.advance(750);
    systemClipboard.answer();
    EXPECT_TRUE(log.mentions(QStringLiteral("did not answer")));
    EXPECT_EQ(service().count(), 2);
}

TEST_F(ClipboardServiceTest, LoadsTheFileSavesItPrivatelyAndKeepsAnUnreadableOneAside)
{
    QJsonArray entries;
    for (int i = 0; i < 25; ++i)
        entries.append(QJsonObject { { "id", QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() },
            { "text", QString::number(i) }, { "copiedAt", 700'000'000.5 + i } });
    entries[0] = QJsonObject { { "id", "E621E1F8-C36C-495A-93FC-0C247A3E6E5F" }, { "text", "first" }, { "copiedAt", 0.25 },
        { "sourceAppName", QJsonValue::Null } };
    writeHistory(QJsonDocument(entries).toJson());
    ASSERT_EQ(service().count(), 20);
    const ClipboardItem& first = service().items().first();
    EXPECT_EQ(first.copiedAt, QDateTime(QDate(2001, 1, 1), QTime(0, 0, 0, 250), Qt::UTC));
    EXPECT_EQ(first.sourceAppName, std::nullopt);
    EXPECT_EQ(first.toJson().toObject().value("id").toString(), QStringLiteral("E621E1F8-C36C-495A-93FC-0C247A3E6E5F"));

    // Saved privately, in a private folder.
    service().start();
    copied(QStringLiteral("new"));
    ASSERT_EQ(saved().size(), 20);
    EXPECT_EQ(QFileInfo(file()).permissions(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    EXPECT_EQ(QFileInfo(path(QStringLiteral("com.larkmoor.Brimwell"))).permissions() & (QFile::ReadGroup | QFile::ReadOther), 0);

    // A broken file starts an empty history and is never overwritten.
    const QList<QByteArray> broken {
        "{\"not\": \"an array\"}",
        "[{\"id\": \"E621E1F8-C36C-495A-93FC-0C247A3E6E5F\", \"copiedAt\": 1}]",
        "[{\"id\": \"E621E1F8-C36C-495A-93FC-0C247A3E6E5F\", \"text\": \"t\", \"copiedAt\": \"yesterday\"}]",
        "[{\"id\": 7, \"text\": \"t\", \"copiedAt\": 1}]",
        "[{\"id\": \"E621E1F8",
    };
    for (const QByteArray& bytes : broken) {
        m_service.reset();
        QFile::remove(file());
        writeHistory(bytes);
        EXPECT_TRUE(service().items().isEmpty()) << bytes.constData();
        EXPECT_TRUE(log.mentions(QStringLiteral("Unable to read clipboard history")));
        EXPECT_FALSE(QFileInfo::exists(file()));
    }
    QFile kept(file() + QStringLiteral(".corrupt"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), broken.first());
    EXPECT_TRUE(QFileInfo::exists(file() + QStringLiteral(".corrupt.4")));

    // An empty array is an empty history, not a broken file.
    m_service.reset();
    writeHistory("[]");
    EXPECT_TRUE(service().items().isEmpty());
    EXPECT_TRUE(QFileInfo::exists(file()));
    QFile::remove(file());

    // Empty history: clear touches nothing.
    service().clear();
    service().waitForSaves();
    EXPECT_FALSE(QFileInfo::exists(file()));
}

TEST_F(ClipboardServiceTest, TheTabTellsEachChangeAsTheRowsItTouches)
{
    service().start();
    WallClockEvents wallClock;
    ClipboardViewLogic view(scheduler, wallClock);
    view.setService(&service());
    view.setActive(true);
    ModelMirror<ClipboardRow> events(*view.rows(), [&](int i) { return view.rows()->rows().at(i); });
    const auto row = [&](int i) { return view.rows()->rows().value(i); };

    copied(QStringLiteral("one"));
    copied(QStringLiteral("two"), SystemClipboard::Kind::plain, QStringLiteral("Terminal"));
    EXPECT_EQ(events.take(), (QStringList { "insert 0-0", "insert 0-0" }));
    EXPECT_EQ(view.content(), ClipboardContent::history);
    EXPECT_EQ(view.headerText(), QStringLiteral("2 of 20 · Click to copy"));
    EXPECT_EQ(row(0).metadata, QStringLiteral("Terminal · now"));

    // Ages move on the minute, and only rows whose text changes are told.
    scheduler.advance(60'000 - 1'500);
    EXPECT_EQ(events.take(), QStringList());
    scheduler.advance(60'000);
    EXPECT_EQ(events.take(), (QStringList { "change 0 metadata", "change 1 metadata" }));
    EXPECT_EQ(row(0).metadata, QStringLiteral("Terminal · 1 min. ago"));
    // A resume reads the ages at once.
    scheduler.jumpWallClock(2 * 3600 * 1000);
    Q_EMIT wallClock.wallClockChanged();
    EXPECT_EQ(events.take(), (QStringList { "change 0 metadata", "change 1 metadata" }));
    EXPECT_EQ(row(0).metadata, QStringLiteral("Terminal · 2 hr. ago"));

    // A copy-back moves the row to the top with its "Copied", for 1.2 s
    // from the last click.
    const QUuid one = row(1).id;
    view.copy(one);
    EXPECT_EQ(events.take(), (QStringList { "move 1->0", "change 0 metadata isCopied" }));
    EXPECT_EQ(row(0).id, one);
    scheduler.advance(1000);
    view.copy(one);
    scheduler.advance(1199);
    EXPECT_EQ(view.copiedItemID(), one);
    EXPECT_TRUE(events.take().isEmpty());
    scheduler.advance(1);
    EXPECT_FALSE(view.copiedItemID());
    EXPECT_EQ(events.take(), QStringList { "change 0 isCopied" });

    // The same text again is a new entry in place of the old one.
    copied(QStringLiteral("two"));
    EXPECT_EQ(events.take(), (QStringList { "remove 1-1", "insert 0-0" }));

    view.beginClear();
    EXPECT_EQ(view.headerText(), QStringLiteral("Clear all 2 items?"));
    scheduler.advance(5000);
    EXPECT_FALSE(view.isConfirmingClear());
    EXPECT_EQ(service().count(), 2);
    view.beginClear();
    service().clear(); // from the settings window
    EXPECT_FALSE(view.isConfirmingClear());
    EXPECT_EQ(view.content(), ClipboardContent::empty);
    EXPECT_EQ(events.take(), QStringList { "remove 0-1" });
}

TEST(ClipboardRowModelTest, AViewFollowingTheNotificationsHoldsTheRowsAfterAnyUpdate)
{
    ClipboardRowModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    ModelMirror<ClipboardRow> view(model, [&](int i) { return model.rows().at(i); });
    QList<QUuid> ids(6);
    for (QUuid& id : ids)
        id = QUuid::createUuid();
    std::mt19937 random(25);
    for (int round = 0; round < 300; ++round) {
        QList<ClipboardRow> rows;
        QSet<QUuid> taken;
        for (int i = int(random() % 9); i > 0; --i) {
            const QUuid id = ids.at(int(random() % ids.size()));
            if (taken.contains(id) && round % 3)
                continue; // mostly unique, as in the history; a file edited by hand may repeat one
            taken.insert(id);
            const QString text = QString::number(random() % 3);
            rows.append({ id, text, text, text, random() % 4 == 0 });
        }
        model.update(rows);
        ASSERT_EQ(model.rows(), rows) << round;
        ASSERT_EQ(view.rows, rows) << round;
        ASSERT_FALSE(view.take().contains(QStringLiteral("reset"))) << round;
    }
}

TEST(ClipboardViewLogicTest, AgesChangeUnitAtEachBoundaryAndTooltipsAreCut)
{
    const QDateTime now(QDate(2026, 3, 10), QTime(12, 0));
    // Each unit from both sides; days count calendar days.
    const std::pair<QDateTime, const char*> ages[] = { { now.addSecs(30), "now" }, { now.addSecs(-59), "now" },
        { now.addSecs(-60), "1 min. ago" }, { now.addSecs(-3599), "59 min. ago" }, { now.addSecs(-3600), "1 hr. ago" },
        { now.addSecs(-12 * 3600), "12 hr. ago" }, { now.addSecs(-12 * 3600 - 1), "yesterday" },
        { now.addDays(-2), "2 days ago" }, { now.addDays(-6), "6 days ago" }, { now.addDays(-7), "1 wk. ago" },
        { now.addDays(-30), "4 wk. ago" }, { now.addDays(-31), "1 mo. ago" }, { now.addDays(-364), "12 mo. ago" },
        { now.addDays(-365), "1 yr. ago" } };
    for (const auto& [copiedAt, age] : ages)
        EXPECT_EQ(ClipboardViewLogic::relativeAge(copiedAt, now), QLatin1String(age)) << copiedAt.toString().toStdString();
    // 300 characters are shown whole; one more is cut to 300 and an ellipsis.
    const QString longest(300, QLatin1Char('x'));
    EXPECT_EQ(ClipboardViewLogic::tooltip(longest), longest);
    EXPECT_EQ(ClipboardViewLogic::tooltip(longest + QLatin1Char('y')), longest + QStringLiteral("…"));
}

} // namespace
