#include "FileBookmark.h"
#include "LogCapture.h"
#include "PosixFileBookmark.h"
#include "TempDir.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <gtest/gtest.h>

static void PrintTo(const QString& text, std::ostream* out)
{
    *out << text.toStdString();
}

namespace {

using PosixFileBookmark::Record;

class FileBookmarkTest : public TempDirTest {
protected:
    QString write(const QString& name) { return writeFile(name, "contents"); }
    QByteArray token(const QString& file) { return FileBookmark::make(file).value_or(QByteArray()); }
    std::optional<QString> resolve(const QByteArray& token, const PosixFileBookmark::SearchLimits& limits = {})
    {
        return PosixFileBookmark::resolve(token, m_dir.path(), limits);
    }
    bool move(const QString& from, const QString& to)
    {
        QDir().mkpath(QFileInfo(path(to)).path());
        return QDir().rename(path(from), path(to));
    }
};

} // namespace

TEST_F(FileBookmarkTest, FollowsTheFileWhenEditedRenamedOrMovedWithinItsTree)
{
    const QByteArray log = token(write("a/log.txt"));
    QFile edited(path("a/log.txt"));
    ASSERT_TRUE(edited.open(QIODevice::Append) && edited.write("more") == 4);
    EXPECT_EQ(resolve(log), path("a/log.txt"));

    const QByteArray report = token(write("a/b/report.txt"));
    ASSERT_TRUE(move("a/b/report.txt", "a/b/final.txt"));
    EXPECT_EQ(resolve(report), path("a/b/final.txt"));
    ASSERT_TRUE(move("a/b/final.txt", "a/c/final.txt"));
    EXPECT_EQ(resolve(report), path("a/c/final.txt"));

    const QByteArray notes = token(write("a/d/notes.txt"));
    ASSERT_TRUE(move("a/d", "a/e"));
    EXPECT_EQ(resolve(notes), path("a/e/notes.txt"));

    // Moved away, and a new file took its old name: the token still names the moved one.
    const QByteArray moved = token(write("a/g/moved.txt"));
    ASSERT_TRUE(move("a/g/moved.txt", "a/h/moved.txt"));
    write("a/g/moved.txt");
    EXPECT_EQ(resolve(moved), path("a/h/moved.txt"));
}

TEST_F(FileBookmarkTest, FallsBackToThePathThenToNothingAndTakesNoOtherFileWithTheSameInode)
{
    // Saved by writing a new file over it: a new inode at the same path.
    const QByteArray saved = token(write("saved.txt"));
    QSaveFile replacement(path("saved.txt"));
    ASSERT_TRUE(replacement.open(QIODevice::WriteOnly));
    ASSERT_TRUE(replacement.commit());
    EXPECT_EQ(resolve(saved), path("saved.txt"));
    ASSERT_TRUE(QFile::remove(path("saved.txt")));
    EXPECT_EQ(resolve(saved), std::nullopt);

    ASSERT_TRUE(QFile::link(path("target.txt"), path("dangling")));
    EXPECT_EQ(resolve(token(path("dangling"))), path("dangling"));
    EXPECT_EQ(FileBookmark::make(path("missing")), std::nullopt);

    // A token of a file that was at gone/old.txt and has the inode of other.txt.
    const Record other = *PosixFileBookmark::decode(token(write("elsewhere/other.txt")));
    const auto moved = [&](qint64 sizeChange, qint64 timeChange) {
        Record record = other;
        record.path = QFile::encodeName(path("gone/old.txt"));
        record.size += sizeChange;
        record.modifiedNs += timeChange;
        return resolve(PosixFileBookmark::encode(record));
    };
    EXPECT_EQ(moved(0, 0), path("elsewhere/other.txt"));
    EXPECT_EQ(moved(1, 0), std::nullopt);
    EXPECT_EQ(moved(0, -1), std::nullopt);
}

TEST_F(FileBookmarkTest, BadTokensResolveToNothingWithALogLine)
{
    const QByteArray good = token(write("file.txt"));
    Record relative = *PosixFileBookmark::decode(good);
    relative.path = "relative/path";
    QList<QByteArray> bad { {}, "BWB1", "BWB2" + good.mid(4), good + "x", PosixFileBookmark::encode(relative),
        QByteArray("BWB1\xff\xff\xff\xff", 8) + QByteArray(32, '\0') };
    for (qsizetype size = 1; size < good.size(); size += 7)
        bad << good.left(size);

    LogCapture log;
    for (const QByteArray& token : bad)
        EXPECT_EQ(resolve(token), std::nullopt) << token.toHex().toStdString();
    EXPECT_EQ(log.entries.size(), size_t(bad.size()));
}

TEST_F(FileBookmarkTest, SearchIgnoresLinkLoopsAndStopsAtItsBounds)
{
    const QByteArray report = token(write("a/b/report.txt"));
    ASSERT_TRUE(QFile::link(path("a"), path("a/b/up")));
    ASSERT_TRUE(QFile::link(path("a/b/self"), path("a/b/self")));
    for (int i = 0; i < 60; ++i)
        write(QStringLiteral("a/b/filler %1").arg(i));
    ASSERT_TRUE(move("a/b/report.txt", "a/c/report.txt"));
    EXPECT_EQ(resolve(report), path("a/c/report.txt"));

    LogCapture log;
    EXPECT_EQ(resolve(report, { .entries = 30 }), std::nullopt);
    for (const Log::Entry& entry : log.entries)
        EXPECT_EQ(entry.level, Log::Level::debug) << entry.message.toStdString();
}
