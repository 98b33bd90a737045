#include "ChildProcess.h"
#include "DBusMock.h"
#include "PrivateXServer.h"
#include "RealPart.h"
#include "TempDir.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

// The real program's live activities on a private session bus and X server,
// called by gdbus (a client nobody here wrote), by the program's own command
// line and by the test's connections; the closed island is watched on a
// notch screen, whose width follows what it shows.
namespace {

const QString activitiesPath = "/com/larkmoor/Brimwell/Activities";
const QString activitiesInterface = "com.larkmoor.Brimwell.Activities1";
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
        if (QStandardPaths::findExecutable("gdbus").isEmpty())
            BRIMWELL_MISSING_REAL_PART("gdbus (libglib2.0-bin) is missing");
        ASSERT_TRUE(connection.connect({}, activitiesPath, activitiesInterface, "Ended", &ended, SLOT(ended(uint, uint))));
    }

    /// The program on a screen with a notch, with `settings` written first.
    void launch(QVariantMap settings = {})
    {
        settings.insert("DisplayNotches/screen", "200x32");
        ChildProcess::writeSettings(m_dir.path(), settings);
        program.launch(environment());
        ASSERT_TRUE(program.logShows("Live activities served at /com/larkmoor/Brimwell/Activities")) << program.log.constData();
        ASSERT_NE(panel = x.islandOf(program.processId(), 10000), 0u);
    }
    QProcessEnvironment environment() const { return ChildProcess::x11Environment(m_dir.path(), x.display(), bus.address); }
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
    Finished gdbus(const QString& method, const QStringList& arguments = {})
    {
        return finish("gdbus",
            QStringList { "call", "--session", "--dest", "com.larkmoor.Brimwell", "--object-path", activitiesPath, "--method",
                activitiesInterface + '.' + method }
                + arguments);
    }
    Finished cli(const QStringList& arguments)
    {
        return finish(qEnvironmentVariable("BRIMWELL_EXECUTABLE"), QStringList { "activity" } + arguments);
    }
    QDBusMessage call(const QString& method, const QVariantList& arguments, QDBusConnection* from = nullptr)
    {
        QDBusMessage message
            = QDBusMessage::createMethodCall("com.larkmoor.Brimwell", activitiesPath, activitiesInterface, method);
        message.setArguments(arguments);
        return (from ? from : &connection)->call(message);
    }
    bool sawEnded(uint id, uint reason)
    {
        return QTest::qWaitFor([&] { return ended.seen.contains(qMakePair(id, reason)); }, 10000);
    }

    PrivateXServer x;
    ChildProcess::PrivateBus bus;
    BusConnection connection { bus.address, "activities-test" };
    EndedSignals ended;
    ChildProcess::Brimwell program;
    xcb_window_t panel = 0;
};

TEST_F(ActivitiesBusTest, AGdbusCountdownWidensTheIslandAnOwnedActivityEndsWithItsCallerAndBadRequestsAreRefused)
{
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_TRUE(frameBecomes(statusNotch));

    const qint64 endsAt = QDateTime::currentMSecsSinceEpoch() + 5 * 60 * 1000;
    const Finished started = gdbus("Start",
        { "kitchen-timer", "Tea", QString("{'endsAt': <int64 %1>, 'symbol': <'timer'>, 'owned': <false>}").arg(endsAt) });
    ASSERT_EQ(started.exitCode, 0) << qPrintable(started.err);
    EXPECT_EQ(started.out, "(uint32 1,)\n");
    EXPECT_TRUE(program.logShows("Activity 1 started by :1.")) << program.log.constData();
    // What the wings show and how it ticks: the view's and the service's tests.
    EXPECT_TRUE(frameBecomes(activityNotch)) << x.geometry(panel).x() << " " << x.geometry(panel).width();
    EXPECT_EQ(call("List", {}).signature(), "a(ussa{sv})");
    EXPECT_TRUE(gdbus("List").out.contains(QString("'Tea', {'endsAt': <int64 %1>").arg(endsAt)));

    EXPECT_EQ(gdbus("End", { "1" }).exitCode, 0);
    EXPECT_TRUE(sawEnded(1, 1));
    EXPECT_TRUE(frameBecomes(statusNotch));

    // gdbus leaves the bus right after its call: its owned activity goes with it.
    const Finished owned = gdbus("Start", { "build", "Build", "{'progress': <0.5>}" });
    ASSERT_EQ(owned.exitCode, 0) << qPrintable(owned.err);
    EXPECT_EQ(owned.out, "(uint32 2,)\n");
    EXPECT_TRUE(sawEnded(2, 4));
    EXPECT_TRUE(frameBecomes(statusNotch));

    // Every bad request is refused by name and the program keeps running.
    BusConnection other(bus.address, "activities-other");
    const QDBusMessage othersOwn = call("Start", { "other", "Call", QVariantMap {} }, &other);
    ASSERT_EQ(othersOwn.type(), QDBusMessage::ReplyMessage) << qPrintable(othersOwn.errorMessage());
    const uint othersId = othersOwn.arguments().value(0).toUInt();

    // Each refusal by its own name; which requests are refused is the service's own test's.
    const QString notAllowed = activitiesInterface + ".Error.NotAllowed";
    const struct {
        const char* what;
        QString method;
        QVariantList arguments;
        QString error;
    } cases[] = {
        { "empty title", "Start", { "app", "", QVariantMap {} }, activitiesInterface + ".Error.Invalid" },
        { "unknown id", "End", { 99u }, activitiesInterface + ".Error.NotFound" },
        { "another caller's owned activity", "Update", { othersId, QVariantMap { { "progress", 0.5 } } }, notAllowed },
    };
    for (const auto& c : cases) {
        const QDBusMessage reply = call(c.method, c.arguments);
        EXPECT_EQ(reply.errorName(), c.error) << c.what << ": " << qPrintable(reply.errorMessage());
        EXPECT_FALSE(reply.errorMessage().isEmpty()) << c.what;
    }

    // One past the limit of 8 per caller (the limits themselves: the service's test).
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(call("Start", { "app", "Tea", QVariantMap {} }).type(), QDBusMessage::ReplyMessage) << i;
    EXPECT_EQ(call("Start", { "app", "Ninth", QVariantMap {} }).errorName(), activitiesInterface + ".Error.TooMany");
    EXPECT_EQ(program.state(), QProcess::Running);

    // Turned off in the settings before launch: nobody may start one.
    ASSERT_TRUE(program.stop()) << program.log.constData();
    ASSERT_NO_FATAL_FAILURE(launch({ { "showActivities", false } }));
    EXPECT_EQ(call("Start", { "app", "Off", QVariantMap {} }).errorName(), notAllowed);
}

TEST_F(ActivitiesBusTest, TheCommandLineSaysWhenBrimwellIsNotRunningAndStartsListsUpdatesAndEnds)
{
    const Finished nobody = cli({ "list" });
    EXPECT_EQ(nobody.exitCode, 1);
    EXPECT_EQ(nobody.err, "brimwell: Brimwell is not running\n");

    // The name owned by a connection that serves no activities.
    ASSERT_TRUE(connection.registerService("com.larkmoor.Brimwell"));
    const Finished withoutObject = cli({ "end", "3" });
    EXPECT_EQ(withoutObject.exitCode, 1);
    EXPECT_TRUE(withoutObject.err.startsWith("brimwell: the running Brimwell takes no live activities ("))
        << qPrintable(withoutObject.err);
    ASSERT_TRUE(connection.unregisterService("com.larkmoor.Brimwell"));

    ASSERT_NO_FATAL_FAILURE(launch());
    const Finished started = cli({ "start", "Copying", "--progress", "0.25", "--symbol", "folder" });
    ASSERT_EQ(started.exitCode, 0) << qPrintable(started.err);
    EXPECT_EQ(started.out, "1\n");
    EXPECT_EQ(cli({ "list" }).out, "1\tCopying\t25%\n");
    EXPECT_EQ(cli({ "update", "1", "--progress=0.5" }).exitCode, 0);
    EXPECT_EQ(cli({ "list" }).out, "1\tCopying\t50%\n");
    EXPECT_TRUE(program.logShows("Activity 1 started by")) << program.log.constData();
    EXPECT_TRUE(program.log.contains(", not owned")) << "the command line's activities outlive it";
    EXPECT_EQ(cli({ "end", "1" }).exitCode, 0);
    EXPECT_TRUE(sawEnded(1, 1));
    EXPECT_EQ(cli({ "list" }).out, "");

    // Refused by Brimwell: status 1 and its reason.
    const Finished again = cli({ "end", "1" });
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_EQ(again.err, "brimwell: no activity 1 runs\n");
    EXPECT_EQ(cli({ "start", "Half", "--progress", "1.5" }).exitCode, 1);

    // Timers: the shortest and a long one run; zero, negative and other text are usage errors.
    for (const char* timer : { "1s", "1h30m" })
        EXPECT_EQ(cli({ "start", timer, "--timer", timer }).exitCode, 0) << timer;
    const QString timers = cli({ "list" }).out;
    EXPECT_TRUE(timers.contains(QRegularExpression("\\t1h30m\\t1:(30:00|29:\\d\\d)\n"))) << qPrintable(timers);
    for (const char* bad : { "0s", "-5m", "5", "5x" }) {
        const Finished refused = cli({ "start", "Tea", "--timer", bad });
        EXPECT_EQ(refused.exitCode, 2) << bad;
        EXPECT_TRUE(refused.err.startsWith("brimwell activity: --timer takes a time above zero")) << qPrintable(refused.err);
    }
    EXPECT_EQ(cli({ "start", "Tea", "--timer", "5m", "--elapsed" }).exitCode, 2);
    EXPECT_EQ(cli({ "update", "one" }).exitCode, 2);
    const Finished help = cli({ "--help" });
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("Usage:\n  brimwell activity start TITLE"));
    EXPECT_EQ(program.state(), QProcess::Running);
}

} // namespace

#include "ActivitiesBusTest.moc"
