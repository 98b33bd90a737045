#include "SysfsBacklight.h"
#include "BrightnessService.h"
#include "ChildProcess.h"
#include "DBusMock.h"
#include "TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileSystemWatcher>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

// The backlight against a fake sysfs tree, set through a logind stand-in
// (python3-dbusmock speaking logind's Session interface) on a private bus.
namespace {

class SysfsBacklightTest : public TempDirTest {
protected:
    QString root() const { return path("backlight"); }

    void addDevice(const QString& name, const char* type, long maximum, long value, const QString& connector = {})
    {
        set(name + "/type", type);
        set(name + "/max_brightness", QByteArray::number(qlonglong(maximum)));
        set(name + "/brightness", QByteArray::number(qlonglong(value)));
        if (!connector.isEmpty()) {
            QDir().mkpath(path("drm/" + connector));
            QFile::link(path("drm/" + connector), root() + '/' + name + "/device");
        }
    }
    /// Writes `text` to `file` under the backlight folder, as the kernel or another tool would.
    void set(const QString& file, const QByteArray& text) { writeFile("backlight/" + file, text); }
    QByteArray brightnessFile(const QString& device) const
    {
        QFile f(root() + '/' + device + "/brightness");
        return f.open(QIODevice::ReadOnly) ? f.readAll().trimmed() : QByteArray();
    }

    ChildProcess::PrivateBus m_daemon;
    BusConnection m_bus { m_daemon.address, "backlight-test" };
};

TEST_F(SysfsBacklightTest, ChoosesTheInternalPanelWritesWithoutLogindAndABrokenMaximumIsNoDivisionByZero)
{
    EXPECT_EQ(SysfsBacklight::chooseDevice(root()), QString()); // no folder at all
    addDevice("ddcci5", "raw", 100, 50, "card0-DP-2");
    addDevice("odd", "strange", 100, 50);
    EXPECT_EQ(SysfsBacklight::chooseDevice(root()), "ddcci5");
    addDevice("intel_backlight", "raw", 100, 50, "card0-eDP-1");
    EXPECT_EQ(SysfsBacklight::chooseDevice(root()), "intel_backlight");
    addDevice("acpi_video0", "firmware", 100, 50);
    EXPECT_EQ(SysfsBacklight::chooseDevice(root()), "acpi_video0");
    QDir(root()).removeRecursively();

    addDevice("panel", "platform", 255, 0);
    SysfsBacklight writer(root(), QDBusConnection("none"));
    EXPECT_EQ(writer.setBrightness(1, 1.5f), 0);
    EXPECT_EQ(brightnessFile("panel"), QByteArray("255"));

    set("panel/max_brightness", "0");
    SysfsBacklight backlight(root(), QDBusConnection("none"));
    ASSERT_EQ(backlight.builtInDisplay(), 1u);
    float level = -1;
    EXPECT_FALSE(backlight.canChangeBrightness(1));
    EXPECT_EQ(backlight.brightness(1, level), SysfsBacklight::noMaximum);
    EXPECT_NE(backlight.setBrightness(1, 0.5f), 0);
    set("panel/max_brightness", "garbage");
    EXPECT_NE(backlight.brightness(1, level), 0);
    EXPECT_EQ(SysfsBacklight(path("nothing"), QDBusConnection("none")).builtInDisplay(), std::nullopt);
}

TEST_F(SysfsBacklightTest, SetsThroughLogindReportsOutsideChangesAndKeepsThePanelLit)
{
    addDevice("intel_backlight", "raw", 1200, 600, "card0-eDP-1");
    // A logind stand-in whose SetBrightness writes the file, as the kernel would.
    const QString session = QStringLiteral("/org/freedesktop/login1/session/auto");
    DBusMock logind(m_bus, m_daemon.address, "org.freedesktop.login1", session, "org.freedesktop.login1.Session");
    logind.mock(session, "AddMethod",
        { QString(), "SetBrightness", "ssu", QString(),
            QStringLiteral("open('%1/' + args[1] + '/brightness', 'w').write(str(args[2]))").arg(root()) });
    SysfsBacklight backlight(root(), m_bus);
    const auto display = backlight.builtInDisplay();
    ASSERT_TRUE(display);
    float level = 0;
    ASSERT_EQ(backlight.brightness(*display, level), 0);
    EXPECT_FLOAT_EQ(level, 0.5f);
    ASSERT_EQ(backlight.observeChanges(*display), 0);

    QSignalSpy changed(&backlight, &DisplayBrightness::brightnessChanged);
    EXPECT_EQ(backlight.setBrightness(*display, 0.25f), 0);
    ASSERT_TRUE(changed.wait(5000)) << "the file did not change";
    EXPECT_EQ(brightnessFile("intel_backlight"), QByteArray("300")); // written by logind's stand-in
    EXPECT_DOUBLE_EQ(changed.takeFirst().first().toDouble(), 0.25);

    // Another tool writes the file: the change reaches us without polling.
    set("intel_backlight/brightness", "900");
    ASSERT_TRUE(changed.wait(5000));
    EXPECT_DOUBLE_EQ(changed.takeFirst().first().toDouble(), 0.75);

    // Stopped: a watch of our own sees the next write, and by the time it has, a
    // watch still held by the backlight would have seen it too.
    backlight.stopObservingChanges(*display);
    QFileSystemWatcher witness({ root() + "/intel_backlight/brightness" });
    QSignalSpy witnessed(&witness, &QFileSystemWatcher::fileChanged);
    set("intel_backlight/brightness", "100");
    ASSERT_TRUE(witnessed.wait(5000));
    QCoreApplication::processEvents();
    EXPECT_EQ(changed.count(), 0);

    BrightnessService service(backlight, Scheduler::system());
    service.start();
    ASSERT_TRUE(service.isAvailable());
    // The HUD's lowest step leaves the panel lit, and the HUD shows the level the panel has; just above
    // the floor, a level is written as is. 1 % of 10001 is 100.01: the floor rounds up.
    for (const auto& [maximum, level, raw] :
        { std::tuple { 100, 0.0, 1 }, { 100, 0.02, 2 }, { 10001, 0.0, 101 }, { 10000, 0.0, 100 }, { 10000, 0.0101, 101 } }) {
        set("intel_backlight/max_brightness", QByteArray::number(maximum));
        service.setLevel(level);
        const QByteArray written = QByteArray::number(raw);
        EXPECT_TRUE(QTest::qWaitFor([&] { return brightnessFile("intel_backlight") == written; }, 5000))
            << level << ": " << brightnessFile("intel_backlight").constData();
        EXPECT_NEAR(service.level(), double(raw) / maximum, 1e-6) << level;
    }

    // Another tool may still switch the panel off: that reads as 0.
    set("intel_backlight/brightness", "0");
    EXPECT_TRUE(QTest::qWaitFor([&] { return service.level() == 0; }, 5000)) << service.level();
}

} // namespace
