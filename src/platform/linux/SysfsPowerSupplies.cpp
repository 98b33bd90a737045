#include "SysfsPowerSupplies.h"

#include "Log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QSocketNotifier>
#include <QThreadPool>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <linux/netlink.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The kernel's own uevent group; udevd re-broadcasts on another, which we skip.
constexpr unsigned kernelUeventGroup = 1;

std::optional<QByteArray> attribute(const QString& folder, const char* name)
{
    QFile file(folder + QLatin1Char('/') + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.read(256).trimmed();
}

std::optional<qint64> number(const QString& folder, const char* name)
{
    const std::optional<QByteArray> text = attribute(folder, name);
    if (!text)
        return std::nullopt;
    bool ok = false;
    const qint64 value = text->toLongLong(&ok);
    if (!ok) {
        qCWarning(lcApp, "Power supply %s: %s is not a number (\"%s\"); ignored", qUtf8Printable(QDir(folder).dirName()), name,
            text->left(40).constData());
        return std::nullopt;
    }
    return value;
}

struct Battery {
    PowerSourceDescription description;
    std::optional<qint64> energyNow, energyFull, chargeNow, chargeFull;
    std::optional<QByteArray> status;
};

// Capacities as ints, scaled down together where a sum outgrows them.
void setCapacities(PowerSourceDescription& d, qint64 now, qint64 full)
{
    while (now > INT_MAX || full > INT_MAX) {
        now /= 1000;
        full /= 1000;
    }
    d.currentCapacity = int(std::max<qint64>(now, 0));
    d.maxCapacity = int(full);
}

// One combined figure for batteries that all report the same unit.
std::optional<PowerSourceDescription> combined(const QList<Battery>& batteries)
{
    if (batteries.size() < 2)
        return std::nullopt;
    const auto sum = [&](auto nowField, auto fullField) -> std::optional<std::pair<qint64, qint64>> {
        qint64 now = 0, full = 0;
        for (const Battery& b : batteries) {
            if (!(b.*nowField) || !(b.*fullField))
                return std::nullopt;
            now += *(b.*nowField);
            full += *(b.*fullField);
        }
        return std::pair { now, full };
    };
    auto totals = sum(&Battery::energyNow, &Battery::energyFull);
    if (!totals)
        totals = sum(&Battery::chargeNow, &Battery::chargeFull);
    if (!totals)
        return std::nullopt;
    PowerSourceDescription d = batteries.first().description;
    d.isPresent = true;
    setCapacities(d, totals->first, totals->second);
    d.isCharging = std::any_of(batteries.begin(), batteries.end(), [](const Battery& b) { return b.description.isCharging; });
    return d;
}

} // namespace

SysfsPowerSupplies::SysfsPowerSupplies(QString root, QObject* parent)
    : PowerSources(parent)
    , m_root(std::move(root))
{
}

SysfsPowerSupplies::~SysfsPowerSupplies()
{
    closeSocket();
}

QList<PowerSourceDescription> SysfsPowerSupplies::read(const QString& root)
{
    QList<Battery> batteries;
    QList<PowerSourceDescription> others;
    std::optional<bool> externalPower; // from supplies that say whether they are online
    const QStringList names = QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names) {
        const QString folder = root + QLatin1Char('/') + name;
        const QByteArray type = attribute(folder, "type").value_or(QByteArray());
        // A device's own battery or charger (a mouse, a phone on USB) is not the machine's.
        const bool isDevice = attribute(folder, "scope") == QByteArray("Device");
        if (type == "Battery") {
            Battery b;
            b.description.isInternalBattery = !isDevice;
            if (const auto present = number(folder, "present"))
                b.description.isPresent = *present != 0;
            b.energyNow = number(folder, "energy_now");
            b.energyFull = number(folder, "energy_full");
            b.chargeNow = number(folder, "charge_now");
            b.chargeFull = number(folder, "charge_full");
            if (const auto capacity = number(folder, "capacity"))
                setCapacities(b.description, *capacity, 100);
            else if (b.energyNow && b.energyFull)
                setCapacities(b.description, *b.energyNow, *b.energyFull);
            else if (b.chargeNow && b.chargeFull)
                setCapacities(b.description, *b.chargeNow, *b.chargeFull);
            b.status = attribute(folder, "status");
            b.description.isCharging = b.status == QByteArray("Charging");
            if (isDevice)
                others.append(b.description);
            else
                batteries.append(b);
        } else if (!isDevice && (type == "Mains" || type.startsWith("USB"))) {
            if (const auto online = number(folder, "online"))
                externalPower = externalPower.value_or(false) || *online != 0;
        }
    }
    QList<Battery> present;
    for (const Battery& b : std::as_const(batteries)) {
        if (b.description.isPresent != false)
            present.append(b);
    }
    // Without a charger that reports itself, a battery that is not
    // discharging is on external power.
    const bool onAC = externalPower.value_or(std::any_of(present.begin(), present.end(), [](const Battery& b) {
        return b.status && !b.status->isEmpty() && *b.status != "Discharging" && *b.status != "Unknown";
    }));

    QList<PowerSourceDescription> result;
    if (const auto total = combined(present))
        result.append(*total);
    for (const Battery& b : std::as_const(batteries))
        result.append(b.description);
    result.append(others);
    for (PowerSourceDescription& d : result)
        d.isOnACPower = onAC;
    return result;
}

bool SysfsPowerSupplies::isPowerSupplyEvent(const QByteArray& datagram)
{
    // "ACTION@DEVPATH" then KEY=VALUE fields, each ending in a NUL.
    const QList<QByteArray> fields = datagram.split('\0');
    return fields.size() > 1 && fields.first().contains('@') && fields.contains(QByteArrayLiteral("SUBSYSTEM=power_supply"));
}

bool SysfsPowerSupplies::startObserving()
{
    closeSocket();
    m_socket = ::socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_KOBJECT_UEVENT);
    sockaddr_nl address {};
    address.nl_family = AF_NETLINK;
    address.nl_groups = kernelUeventGroup;
    if (m_socket >= 0 && ::bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        m_notifier = std::make_unique<QSocketNotifier>(m_socket, QSocketNotifier::Read);
        connect(m_notifier.get(), &QSocketNotifier::activated, this, &SysfsPowerSupplies::receiveEvents);
    } else {
        qCWarning(lcApp, "No kernel uevents for power supplies: %s", strerror(errno));
        closeSocket();
    }
    load();
    return m_notifier != nullptr;
}

void SysfsPowerSupplies::stopObserving()
{
    closeSocket();
    ++m_generation;
    m_snapshot.clear();
}

void SysfsPowerSupplies::closeSocket()
{
    m_notifier.reset();
    if (m_socket >= 0)
        ::close(m_socket);
    m_socket = -1;
}

void SysfsPowerSupplies::receiveEvents()
{
    bool relevant = false;
    char buffer[8192];
    for (;;) {
        sockaddr_nl sender {};
        socklen_t senderSize = sizeof sender;
        const ssize_t n = ::recvfrom(m_socket, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&sender), &senderSize);
        if (n <= 0)
            break;
        // Only the kernel speaks on this group.
        if (sender.nl_pid == 0 && isPowerSupplyEvent(QByteArray(buffer, int(n))))
            relevant = true;
    }
    if (relevant)
        load();
}

void SysfsPowerSupplies::load()
{
    const quint64 generation = ++m_generation;
    QPointer<SysfsPowerSupplies> self(this);
    QThreadPool::globalInstance()->start([self, generation, root = m_root] {
        QList<PowerSourceDescription> sources = read(root);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, generation, sources = std::move(sources)] {
                if (!self || self->m_generation != generation)
                    return;
                self->m_snapshot = sources;
                Q_EMIT self->changed();
            },
            Qt::QueuedConnection);
    });
}
