#include "BatteryService.h"
#include "ChildProcess.h"
#include "DBusMock.h"
#include "SysfsPowerSupplies.h"
#include "TempDir.h"
#include "UPowerPowerSources.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

// The battery over UPower as python3-dbusmock's stand-in (its upower
// template) on a private bus that takes the system bus's place.
namespace {

const QString upower = "org.freedesktop.UPower";
const QString devices = "/org/freedesktop/UPower/devices/";

class UPowerTest : public TempDirTest {
protected:
    void SetUp() override { ASSERT_TRUE(m_connection.isConnected()) << "dbus-daemon did not start"; }
    void startUPower(const char* onBattery = "true") // as JSON
    {
        m_upower = std::make_unique<DBusMock>(m_connection, m_bus.address, upower,
            QStringList { "--template", "upower", "--parameters", QStringLiteral("{\"OnBattery\": %1}").arg(onBattery) });
    }
    QDBusMessage mock(const QString& method, const QVariantList& arguments)
    {
        return m_upower->mock("/org/freedesktop/UPower", method, arguments);
    }
    void addBattery(const QString& name, double percentage, bool charging = false)
    {
        mock(charging ? "AddChargingBattery" : "AddDischargingBattery", { name, "Internal", percentage, qlonglong(3600) });
    }
    void setDevice(const QString& name, const QVariantMap& properties)
    {
        mock("SetDeviceProperties", { QVariant::fromValue(QDBusObjectPath(devices + name)), properties });
    }
    void setOnBattery(bool value) { mock("UpdateProperties", { upower, QVariantMap { { "OnBattery", value } } }); }

    BatteryService& startService(bool withFallback = false)
    {
        if (withFallback) {
            // The kernel's folder the sources fall back on: one battery at 33 %.
            for (const auto& [name, value] :
                { std::pair { "type", "Battery" }, { "capacity", "33" }, { "status", "Discharging" } })
                writeFile(QStringLiteral("power_supply/BAT0/") + name, value);
            m_fallback = std::make_unique<SysfsPowerSupplies>(path("power_supply"));
        }
        m_sources = std::make_unique<UPowerPowerSources>(m_connection, m_fallback.get());
        m_service = std::make_unique<BatteryService>(*m_sources);
        m_service->start();
        return *m_service;
    }
    bool statusBecomes(const std::optional<BatteryStatus>& expected)
    {
        return QTest::qWaitFor([&] { return m_service->status() == expected; }, 5000);
    }

    ChildProcess::PrivateBus m_bus;
    BusConnection m_connection { m_bus.address, "upower-test" };
    std::unique_ptr<DBusMock> m_upower;
    std::unique_ptr<SysfsPowerSupplies> m_fallback;
    std::unique_ptr<UPowerPowerSources> m_sources;
    std::unique_ptr<BatteryService> m_service;
};

} // namespace

TEST_F(UPowerTest, FollowsPluggingInLevelAndUnplugging)
{
    startUPower();
    BatteryService& service = startService();
    QSignalSpy loaded(m_sources.get(), &PowerSources::changed);
    ASSERT_TRUE(loaded.wait(5000));
    EXPECT_TRUE(m_sources->isUsingUPower());
    EXPECT_FALSE(service.hasStatus());

    addBattery("BAT0", 75);
    ASSERT_TRUE(statusBecomes(BatteryStatus { 75, false, false }));
    setOnBattery(false);
    setDevice("BAT0", { { "State", uint(1) } });
    ASSERT_TRUE(statusBecomes(BatteryStatus { 75, true, true }));

    // A second battery: the desktop's combined figure wins.
    addBattery("BAT1", 20);
    mock("SetupDisplayDevice",
        { uint(2), uint(2), 48.0, 48.0, 100.0, 10.0, qlonglong(3600), qlonglong(0), true, "battery", uint(1) });
    ASSERT_TRUE(statusBecomes(BatteryStatus { 48, false, true }));

    mock("RemoveDevice", { QVariant::fromValue(QDBusObjectPath(devices + "BAT0")) });
    mock("SetupDisplayDevice", { uint(0), uint(0), 0.0, 0.0, 0.0, 0.0, qlonglong(0), qlonglong(0), false, QString(), uint(1) });
    ASSERT_TRUE(statusBecomes(BatteryStatus { 20, false, true }));
    service.stop();
    EXPECT_FALSE(service.hasStatus());
}

TEST_F(UPowerTest, TakesUpARestartedUPowerAndReadsTheKernelInBetween)
{
    // No UPower, and none to start: the kernel's folder.
    startService(true);
    ASSERT_TRUE(statusBecomes(BatteryStatus { 33, false, false }));
    EXPECT_FALSE(m_sources->isUsingUPower());

    startUPower();
    addBattery("BAT0", 61);
    ASSERT_TRUE(statusBecomes(BatteryStatus { 61, false, false }));
    EXPECT_TRUE(m_sources->isUsingUPower());

    m_upower.reset();
    ASSERT_TRUE(statusBecomes(BatteryStatus { 33, false, false }));

    startUPower("false");
    addBattery("BAT0", 62, true);
    ASSERT_TRUE(statusBecomes(BatteryStatus { 62, true, true }));
}
