#include "JsonFile.h"
#include "Observe.h"
#include "ReferenceDate.h"
#include "TempDir.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cmath>

namespace {
class Counter : public QObject {
    Q_OBJECT
public:
    int value() const { return m_value; }
    void setValue(int v)
    {
        m_value = v;
        Q_EMIT valueChanged();
    }
Q_SIGNALS:
    void valueChanged();

private:
    int m_value = 1;
};
} // namespace

TEST(Observe, DeliversCurrentValueThenChangesAndDistinctDropsRepeats)
{
    Counter counter;
    QObject context;
    QList<int> all, distinct;
    observe(&counter, &Counter::value, &Counter::valueChanged, &context, [&](int v) { all << v; });
    observeDistinct(&counter, &Counter::value, &Counter::valueChanged, &context, [&](int v) { distinct << v; });
    counter.setValue(2);
    counter.setValue(2);
    counter.setValue(3);
    EXPECT_EQ(all, (QList<int> { 1, 2, 2, 3 }));
    EXPECT_EQ(distinct, (QList<int> { 1, 2, 3 }));
}

using JsonFileTest = TempDirTest;

TEST_F(JsonFileTest, WritesAtomicallyPrivatelyAndTellsMissingFromCorrupt)
{
    const QString file = path(QStringLiteral("sub/folder/data.json"));
    QJsonObject obj { { QStringLiteral("items"), QJsonArray { 1, 2 } } };
    ASSERT_TRUE(JsonFile::write(file, QJsonDocument(obj)));
    const QFileDevice::Permissions owner = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
    EXPECT_EQ(QFileInfo(file).permissions(), owner);
    EXPECT_EQ(QFileInfo(QFileInfo(file).absolutePath()).permissions(), owner | QFile::ExeOwner | QFile::ExeUser);
    QString error;
    EXPECT_EQ(JsonFile::read(file, &error).value_or(QJsonDocument()).object(), obj);

    EXPECT_FALSE(JsonFile::read(path(QStringLiteral("none.json")), &error));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_FALSE(JsonFile::read(writeFile(QStringLiteral("bad.json"), "{\"items\": [1, 2"), &error));
    EXPECT_FALSE(error.isEmpty());

    // A write that fails part-way (here the file size limit, as a full disk
    // would) reports it and leaves the old file whole.
    error.clear();
    bool written = false;
    {
        FileSizeLimit full(4096);
        written = JsonFile::write(file, QJsonDocument(QJsonArray { QString(8192, QLatin1Char('x')) }), &error);
    }
    EXPECT_FALSE(written);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(JsonFile::read(file).value_or(QJsonDocument()).object(), obj);
}

TEST(ReferenceDate, ConvertsAroundTheFirstOf2001AndFormatsUuids)
{
    EXPECT_EQ(ReferenceDate::secondsSinceReference(QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC)), 0.0);
    EXPECT_EQ(ReferenceDate::secondsSinceReference(QDateTime(QDate(2000, 12, 31), QTime(23, 59), Qt::UTC)), -60.0);
    const QDateTime t(QDate(2026, 12, 6), QTime(9, 48, 14, 250), Qt::UTC);
    EXPECT_EQ(ReferenceDate::fromSecondsSinceReference(ReferenceDate::secondsSinceReference(t)), t);
    EXPECT_DOUBLE_EQ(ReferenceDate::secondsSinceReference(QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC)), 721692800.0);
    // Dates from a damaged file: held at the edge, never wrapped around.
    EXPECT_GT(ReferenceDate::fromSecondsSinceReference(9223372036000000.0).date().year(), 3000000);
    EXPECT_LT(ReferenceDate::fromSecondsSinceReference(-1e300).date().year(), -3000000);
    EXPECT_EQ(ReferenceDate::fromSecondsSinceReference(std::nan("")), QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC));

    const QUuid id(QStringLiteral("{6ba7b810-9dad-11d1-80b4-00c04fd430c8}"));
    EXPECT_EQ(uuidText(id), QStringLiteral("6BA7B810-9DAD-11D1-80B4-00C04FD430C8"));
}

#include "CoreHelpersTest.moc"
