#include "ChildProcess.h"
#include "PrivateXServer.h"
#include "RealPart.h"
#include "TempDir.h"
#include "ViewProbe.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

// The real program's live activities on a private session bus and X server,
// called by gdbus (a client nobody here wrote), by the program's own command
// line and by the test's connections; the closed island is watched on a
// notch screen, whose width follows what it shows.
namespace {

const QString activitiesService = QStringLiteral("com.larkmoor.Brimwell");
const QString activitiesPath = QStringLiteral("/com/larkmoor/Brimwell/Activities");
const QString activitiesInterface = QStringLiteral("com.larkmoor.Brimwell.Activities1");
const QRect statusNotch(462, 0, 356, 32);
const QRect activityNotch(478, 0, 324, 32);

/// The Ended signals the test's connection saw.
class EndedSignals : public QObject {
    Q_OBJECT
public:
    QList<QPair<uint, uint>> seen;
public Q_SLOTS:
    void ended(uint id, uint reason) { seen.append({ id, reason }); }
};

struct Finished {
    int exitCode = -1;
    QString out;
    QString err;
};

class ActivitiesBusTest : public TempDirTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(x.isRunning()) << "Xvfb did not start";
        ASSERT_FALSE(bus.address.isEmpty()) << "dbus-daemon did not start";
        if (QStandardPaths::findExecutable(QStringLiteral("gdbus")).isEmpty())
            BRIMWELL_MISSING_REAL_PART("gdbus (libglib2.0-bin) is missing");
        connection
            = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(bus.address, QStringLiteral("activities-test")));
        ASSERT_TRUE(connection->isConnected());
        ASSERT_TRUE(connection->connect(
            {}, activitiesPath, activitiesInterface, QStringLiteral("Ended"), &ended, SLOT(ended(uint, uint))));
    }
    void TearDown() override
    {
        connection.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("activities-test"));
    }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = ChildProcess::x11Environment(m_dir.path(), x.display());
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address);
        return env;
    }
    /// The program on a screen with a notch, with `settings` written first.
    void launch(const QVariantMap& settings = {})
    {
        {
            QSettings file(path(QStringLiteral("config/com.larkmoor.Brimwell/settings.ini")), QSettings::IniFormat);
            file.setValue(QStringLiteral("DisplayNotches/screen"), QStringLiteral("200x32"));
            for (auto it = settings.begin(); it != settings.end(); ++it)
                file.setValue(it.key(), it.value());
        }
        program.launch(environment());
        ASSERT_TRUE(program.logShows("Live activities served at /com/larkmoor/Brimwell/Activities")) << program.log.constData();
        ASSERT_NE(panel = x.islandOf(program.processId(), 10000), 0u);
    }
    bool frameBecomes(const QRect& frame) { return x.geometryBecomes(panel, frame, 10000); }

    Finished finish(const QString& command, const QStringList& arguments)
    {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(command, arguments);
        if (!process.waitForFinished(10000))
            process.kill();
        return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError()) };
    }
    Finished gdbus(const QString& method, const QStringList& arguments)
    {
        return finish(QStringLiteral("gdbus"),
            QStringList { QStringLiteral("call"), QStringLiteral("--session"), QStringLiteral("--dest"), activitiesService,
                QStringLiteral("--object-path"), activitiesPath, QStringLiteral("--method"),
                activitiesInterface + QLatin1Char('.') + method }
                + arguments);
    }
    Finished cli(const QStringList& arguments)
    {
        return finish(qEnvironmentVariable("BRIMWELL_EXECUTABLE"), QStringList { QStringLiteral("activity") } + arguments);
    }
    QDBusMessage call(const QString& method, const QVariantList& arguments, QDBusConnection* from = nullptr)
    {
        QDBusMessage message = QDBusMessage::createMethodCall(activitiesService, activitiesPath, activitiesInterface, method);
        message.setArguments(arguments);
        return (from ? from : connection.get())->call(message);
    }
    bool sawEnded(uint id, uint reason)
    {
        return QTest::qWaitFor([&] { return ended.seen.contains(qMakePair(id, reason)); }, 10000);
    }

    PrivateXServer x;
    ChildProcess::PrivateBus bus;
    std::unique_ptr<QDBusConnection> connection;
    EndedSignals ended;
    ChildProcess::Brimwell program;
    xcb_window_t panel = 0;
};

TEST_F(ActivitiesBusTest, AGdbusCountdownWidensTheIslandAndAnOwnedActivityEndsWithItsCaller)
{
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_TRUE(frameBecomes(statusNotch));

    const qint64 endsAt = QDateTime::currentMSecsSinceEpoch() + 5 * 60 * 1000;
    const Finished started = gdbus(QStringLiteral("Start"),
        { QStringLiteral("kitchen-timer"), QStringLiteral("Tea"),
            QStringLiteral("{'endsAt': <int64 %1>, 'symbol': <'timer'>, 'owned': <false>}").arg(endsAt) });
    ASSERT_EQ(started.exitCode, 0) << qPrintable(started.err);
    EXPECT_EQ(started.out.trimmed(), QStringLiteral("(uint32 1,)"));
    EXPECT_TRUE(program.logShows("Activity 1 started by :1.")) << program.log.constData();
    EXPECT_TRUE(frameBecomes(activityNotch)) << x.geometry(panel).x() << " " << x.geometry(panel).width();
    // The countdown is drawn in the trailing wing once the wings have grown
    // (unchanged for 300 ms), and counts down from there.
    const QRect trailing(activityNotch.right() - 60, 4, 56, 24);
    QImage settled;
    QDeadlineTimer still(300);
    EXPECT_TRUE(x.waitFor([&] {
        const QImage now = x.image(trailing);
        if (now != settled)
            std::tie(settled, still) = std::make_pair(now, QDeadlineTimer(300));
        return still.hasExpired() && ViewProbe::brightPixels(now, now.rect()) > 20;
    })) << "no countdown in the trailing wing";
    EXPECT_TRUE(x.waitFor([&] { return x.image(trailing) != settled; }, 3000)) << "the countdown does not tick";
    const QDBusMessage listed = call(QStringLiteral("List"), {});
    EXPECT_EQ(listed.signature(), QStringLiteral("a(ussa{sv})"));
    EXPECT_TRUE(gdbus(QStringLiteral("List"), {}).out.contains(QStringLiteral("'Tea', {'endsAt': <int64 %1>").arg(endsAt)));

    EXPECT_EQ(gdbus(QStringLiteral("End"), { QStringLiteral("1") }).exitCode, 0);
    EXPECT_TRUE(sawEnded(1, 1));
    EXPECT_TRUE(frameBecomes(statusNotch));

    // gdbus leaves the bus right after its call: its owned activity goes with it.
    const Finished owned = gdbus(
        QStringLiteral("Start"), { QStringLiteral("build"), QStringLiteral("Build"), QStringLiteral("{'progress': <0.5>}") });
    ASSERT_EQ(owned.exitCode, 0) << qPrintable(owned.err);
    EXPECT_EQ(owned.out.trimmed(), QStringLiteral("(uint32 2,)"));
    EXPECT_TRUE(sawEnded(2, 4));
    EXPECT_TRUE(frameBecomes(statusNotch));
    EXPECT_EQ(program.state(), QProcess::Running);
}

TEST_F(ActivitiesBusTest, TheCommandLineStartsListsUpdatesAndEnds)
{
    ASSERT_NO_FATAL_FAILURE(launch());
    const Finished started = cli({ QStringLiteral("start"), QStringLiteral("Copying"), QStringLiteral("--progress"),
        QStringLiteral("0.25"), QStringLiteral("--symbol"), QStringLiteral("folder") });
    ASSERT_EQ(started.exitCode, 0) << qPrintable(started.err);
    EXPECT_EQ(started.out, QStringLiteral("1\n"));
    EXPECT_EQ(cli({ QStringLiteral("list") }).out, QStringLiteral("1\tCopying\t25%\n"));
    EXPECT_EQ(cli({ QStringLiteral("update"), QStringLiteral("1"), QStringLiteral("--progress=0.5") }).exitCode, 0);
    EXPECT_EQ(cli({ QStringLiteral("list") }).out, QStringLiteral("1\tCopying\t50%\n"));
    EXPECT_TRUE(program.logShows("Activity 1 started by")) << program.log.constData();
    EXPECT_TRUE(program.log.contains(", not owned")) << "the command line's activities outlive it";
    EXPECT_EQ(cli({ QStringLiteral("end"), QStringLiteral("1") }).exitCode, 0);
    EXPECT_TRUE(sawEnded(1, 1));
    EXPECT_EQ(cli({ QStringLiteral("list") }).out, QString());

    // Refused by Brimwell: status 1 and its reason.
    const Finished again = cli({ QStringLiteral("end"), QStringLiteral("1") });
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_EQ(again.err, QStringLiteral("brimwell: no activity 1 runs\n"));
    EXPECT_EQ(
        cli({ QStringLiteral("start"), QStringLiteral("Half"), QStringLiteral("--progress"), QStringLiteral("1.5") }).exitCode,
        1);

    // Timers: the shortest and a long one run; zero, negative and other text are usage errors.
    for (const QString& timer : { QStringLiteral("1s"), QStringLiteral("1h30m") })
        EXPECT_EQ(cli({ QStringLiteral("start"), timer, QStringLiteral("--timer"), timer }).exitCode, 0) << qPrintable(timer);
    const QString timers = cli({ QStringLiteral("list") }).out;
    EXPECT_TRUE(timers.contains(QRegularExpression(QStringLiteral("\\t1h30m\\t1:(30:00|29:\\d\\d)\n")))) << qPrintable(timers);
    for (const QString& bad : { QStringLiteral("0s"), QStringLiteral("-5m"), QStringLiteral("5"), QStringLiteral("5x") }) {
        const Finished refused = cli({ QStringLiteral("start"), QStringLiteral("Tea"), QStringLiteral("--timer"), bad });
        EXPECT_EQ(refused.exitCode, 2) << qPrintable(bad);
        EXPECT_TRUE(refused.err.startsWith(QStringLiteral("brimwell activity: --timer takes a time above zero")))
            << qPrintable(refused.err);
    }
    EXPECT_EQ(cli({ QStringLiteral("start"), QStringLiteral("Tea"), QStringLiteral("--timer"), QStringLiteral("5m"),
                      QStringLiteral("--elapsed") })
                  .exitCode,
        2);
    EXPECT_EQ(cli({ QStringLiteral("update"), QStringLiteral("one") }).exitCode, 2);
    const Finished help = cli({ QStringLiteral("--help") });
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith(QStringLiteral("Usage:\n  brimwell activity start TITLE")));
    EXPECT_EQ(program.state(), QProcess::Running);
}

TEST_F(ActivitiesBusTest, TheCommandLineSaysWhenBrimwellIsNotRunning)
{
    const Finished nobody = cli({ QStringLiteral("list") });
    EXPECT_EQ(nobody.exitCode, 1);
    EXPECT_EQ(nobody.err, QStringLiteral("brimwell: Brimwell is not running\n"));

    // The name owned by a connection that serves no activities.
    ASSERT_TRUE(connection->registerService(activitiesService));
    const Finished withoutObject = cli({ QStringLiteral("end"), QStringLiteral("3") });
    EXPECT_EQ(withoutObject.exitCode, 1);
    EXPECT_TRUE(withoutObject.err.startsWith(QStringLiteral("brimwell: the running Brimwell takes no live activities (")))
        << qPrintable(withoutObject.err);
}

TEST_F(ActivitiesBusTest, EveryBadRequestIsRefusedByNameAndTheProgramKeepsRunning)
{
    ASSERT_NO_FATAL_FAILURE(launch());
    std::unique_ptr<QDBusConnection> other
        = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(bus.address, QStringLiteral("activities-other")));
    const auto cleanup = qScopeGuard([&] {
        other.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("activities-other"));
    });
    const QDBusMessage othersOwn
        = call(QStringLiteral("Start"), { QStringLiteral("other"), QStringLiteral("Call"), QVariantMap {} }, other.get());
    ASSERT_EQ(othersOwn.type(), QDBusMessage::ReplyMessage) << qPrintable(othersOwn.errorMessage());
    const uint othersId = othersOwn.arguments().value(0).toUInt();

    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const QString invalid = activitiesInterface + QStringLiteral(".Error.Invalid");
    const QString notAllowed = activitiesInterface + QStringLiteral(".Error.NotAllowed");
    const auto start = [](const QString& title, const QVariantMap& hints = {}) {
        return std::make_pair(QStringLiteral("Start"), QVariantList { QStringLiteral("app"), title, hints });
    };
    const struct {
        const char* what;
        std::pair<QString, QVariantList> request;
        QString error;
    } cases[] = {
        { "empty title", start(QString()), invalid },
        { "121-character title", start(QString(121, QLatin1Char('t'))), invalid },
        { "201-character subtitle",
            start(QStringLiteral("T"), { { QStringLiteral("subtitle"), QString(201, QLatin1Char('s')) } }), invalid },
        { "progress 1.5", start(QStringLiteral("T"), { { QStringLiteral("progress"), 1.5 } }), invalid },
        { "progress x", start(QStringLiteral("T"), { { QStringLiteral("progress"), QStringLiteral("x") } }), invalid },
        { "countdown in the past", start(QStringLiteral("T"), { { QStringLiteral("endsAt"), now - 60'000 } }), invalid },
        { "symbol with a slash", start(QStringLiteral("T"), { { QStringLiteral("symbol"), QStringLiteral("../etc/passwd") } }),
            invalid },
        { "three actions",
            start(QStringLiteral("T"),
                { { QStringLiteral("actions"), QStringList { QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C") } } }),
            invalid },
        { "unknown id", { QStringLiteral("End"), { 99u } }, activitiesInterface + QStringLiteral(".Error.NotFound") },
        { "another caller's owned activity",
            { QStringLiteral("Update"), { othersId, QVariantMap { { QStringLiteral("progress"), 0.5 } } } }, notAllowed },
    };
    for (const auto& c : cases) {
        const QDBusMessage reply = call(c.request.first, c.request.second);
        EXPECT_EQ(reply.type(), QDBusMessage::ErrorMessage) << c.what;
        EXPECT_EQ(reply.errorName(), c.error) << c.what << ": " << qPrintable(reply.errorMessage());
        EXPECT_FALSE(reply.errorMessage().isEmpty()) << c.what;
    }

    // Just inside the limits, then one past them: 8 per caller.
    const QVariantMap longest { { QStringLiteral("subtitle"), QString(200, QLatin1Char('s')) },
        { QStringLiteral("progress"), 1.0 }, { QStringLiteral("unknownHint"), 1 } };
    for (int i = 0; i < 8; ++i) {
        const QDBusMessage reply
            = call(QStringLiteral("Start"), { QStringLiteral("app"), QString(120, QLatin1Char('t')), longest });
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << i << ": " << qPrintable(reply.errorMessage());
    }
    EXPECT_EQ(call(QStringLiteral("Start"), { QStringLiteral("app"), QStringLiteral("Ninth"), QVariantMap {} }).errorName(),
        activitiesInterface + QStringLiteral(".Error.TooMany"));
    EXPECT_TRUE(program.logShows("Ignoring unknown hints from")) << program.log.constData();
    EXPECT_EQ(program.state(), QProcess::Running);

    // Turned off in the settings before launch: nobody may start one.
    ASSERT_TRUE(program.stop()) << program.log.constData();
    ASSERT_NO_FATAL_FAILURE(launch({ { QStringLiteral("showActivities"), false } }));
    EXPECT_EQ(
        call(QStringLiteral("Start"), { QStringLiteral("app"), QStringLiteral("Off"), QVariantMap {} }).errorName(), notAllowed);
}

} // namespace

#include "ActivitiesBusTest.moc"
