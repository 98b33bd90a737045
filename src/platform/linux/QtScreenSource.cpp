#include "QtScreenSource.h"

#include "PlatformLog.h"
#include "ReferenceDate.h"
#include "UserDefaults.h"
#include "X11TopPanels.h"
#include "login1_manager_interface.h"

#include <QDBusConnection>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QScreen>
#include <QUuid>

#include <algorithm>

namespace {

// Namespace of Brimwell's display UUIDs; never change it, or every stored
// preferred display is lost.
const QUuid displayNamespace(QStringLiteral("{5c0b8e3a-9d47-4e61-b2f0-7a1e6c3d9b24}"));

qreal reservedTop(const QScreen* screen)
{
    return screen->availableGeometry().top() - screen->geometry().top();
}

const QString notchGroup = QStringLiteral("DisplayNotches");

} // namespace

QtScreenSource::QtScreenSource(UserDefaults& defaults, QObject* parent)
    : ScreenSource(parent)
    , m_defaults(defaults)
{
    for (QScreen* screen : QGuiApplication::screens())
        watch(screen);
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        watch(screen);
        scheduleChange();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &QtScreenSource::scheduleChange);
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, &QtScreenSource::scheduleChange);
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        m_topPanels = std::make_unique<X11TopPanels>();
        connect(m_topPanels.get(), &X11TopPanels::changed, this, &QtScreenSource::scheduleChange);
    }
    // Connecting to the system bus can take a moment; not during construction.
    QMetaObject::invokeMethod(this, &QtScreenSource::followSleep, Qt::QueuedConnection);
}

QtScreenSource::~QtScreenSource() = default;

void QtScreenSource::watch(QScreen* screen)
{
    connect(screen, &QScreen::geometryChanged, this, &QtScreenSource::scheduleChange);
    connect(screen, &QScreen::availableGeometryChanged, this, &QtScreenSource::scheduleChange);
}

// One reconfiguration arrives as several Qt signals (added, geometry,
// work area); they are reported once, after Qt has settled its list.
void QtScreenSource::scheduleChange()
{
    if (m_changePending)
        return;
    m_changePending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_changePending = false;
            // Picks up notch overrides edited since the last read.
            m_defaults.sync();
            Q_EMIT screensChanged();
        },
        Qt::QueuedConnection);
}

void QtScreenSource::followSleep()
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        qCInfo(lcPlatformDisplay, "No system bus; screens are not re-read after sleep");
        return;
    }
    m_login1 = new Login1Manager(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"), bus, this);
    connect(m_login1, &Login1Manager::PrepareForSleep, this, [this](bool starting) {
        if (starting)
            return;
        m_defaults.sync();
        Q_EMIT screensDidWake();
    });
}

QList<PlatformScreen> QtScreenSource::screens() const
{
    const QList<QScreen*> qscreens = QGuiApplication::screens();
    qreal thickness = 24;
    for (const QScreen* screen : qscreens) {
        if (reservedTop(screen) > 0) {
            thickness = reservedTop(screen);
            break;
        }
    }
    const QHash<QString, QString> overrides = m_defaults.group(notchGroup);
    QList<PlatformScreen> result;
    for (const QScreen* screen : qscreens) {
        PlatformScreen s;
        s.outputName = screen->name();
        s.localizedName = localizedName(screen->manufacturer(), screen->model(), screen->name());
        s.displayUUID = displayUUID(screen->manufacturer(), screen->model(), screen->serialNumber(), screen->name());
        s.frame = screen->geometry();
        s.visibleFrame = screen->availableGeometry();
        s.statusBarThickness = thickness;
        if (m_topPanels) {
            // Struts are in the server's pixels; Qt keeps a screen's origin and
            // divides its size by the scale.
            const qreal ratio = screen->devicePixelRatio();
            const QRect native(s.frame.topLeft(), (QSizeF(s.frame.size()) * ratio).toSize());
            s.topPanelHeight = X11TopPanels::reservedTop(native, m_topPanels->reservations()) / ratio;
        }
        result.append(s);
    }
    makeDisplayIDsUnique(result);
    for (PlatformScreen& s : result) {
        if (const std::optional<QSizeF> notch = notchOverride(overrides, s))
            applyNotch(s, *notch);
    }
    return result;
}

void QtScreenSource::makeDisplayIDsUnique(QList<PlatformScreen>& screens)
{
    QHash<QString, QList<qsizetype>> sharing;
    for (qsizetype i = 0; i < screens.size(); ++i) {
        if (screens[i].displayUUID)
            sharing[*screens[i].displayUUID].append(i);
    }
    QSet<QString> taken(sharing.keyBegin(), sharing.keyEnd());
    for (auto it = sharing.begin(); it != sharing.end(); ++it) {
        QList<qsizetype>& twins = it.value();
        if (twins.size() < 2)
            continue;
        // Ordered by output, not by Qt's screen order, which may change
        // between starts; a twin keeps its id while it stays on its output.
        std::stable_sort(twins.begin(), twins.end(),
            [&screens](qsizetype a, qsizetype b) { return screens[a].outputName < screens[b].outputName; });
        for (qsizetype k = 1; k < twins.size(); ++k) {
            const QString name = QStringLiteral("twin:%1\noutput:%2").arg(it.key(), screens[twins[k]].outputName);
            QString id = uuidText(QUuid::createUuidV5(displayNamespace, name));
            if (taken.contains(id)) // two twins without distinct output names
                id = uuidText(QUuid::createUuidV5(displayNamespace, name + QStringLiteral("\n%1").arg(k)));
            taken.insert(id);
            screens[twins[k]].displayUUID = id;
        }
    }
}

QString QtScreenSource::displayUUID(
    const QString& manufacturer, const QString& model, const QString& serial, const QString& outputName)
{
    const QString name = (manufacturer.isEmpty() && model.isEmpty() && serial.isEmpty())
        ? QStringLiteral("output:") + outputName
        : QStringLiteral("edid:%1\n%2\n%3").arg(manufacturer, model, serial);
    return uuidText(QUuid::createUuidV5(displayNamespace, name));
}

QString QtScreenSource::localizedName(const QString& manufacturer, const QString& model, const QString& outputName)
{
    if (!model.isEmpty()) {
        // EDID models often repeat the maker: "DELL U2720Q" by "Dell Inc.".
        const QString maker = manufacturer.section(QLatin1Char(' '), 0, 0);
        if (maker.isEmpty() || model.startsWith(maker, Qt::CaseInsensitive))
            return model;
        return manufacturer + QLatin1Char(' ') + model;
    }
    static const QRegularExpression builtIn(QStringLiteral("^(eDP|LVDS|DSI)"), QRegularExpression::CaseInsensitiveOption);
    if (builtIn.match(outputName).hasMatch())
        return QStringLiteral("Built-in Display");
    return outputName;
}

std::optional<QSizeF> QtScreenSource::parseNotchSize(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*(\\d+(?:\\.\\d+)?)\\s*[xX]\\s*(\\d+(?:\\.\\d+)?)\\s*$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const QSizeF size(match.captured(1).toDouble(), match.captured(2).toDouble());
    if (!(size.width() > 0) || !(size.height() > 0))
        return std::nullopt;
    return size;
}

void QtScreenSource::applyNotch(PlatformScreen& screen, const QSizeF& size)
{
    const QRectF frame(screen.frame);
    const qreal side = (frame.width() - size.width()) / 2;
    screen.topInset = size.height();
    screen.auxiliaryTopLeftArea = QRectF(frame.left(), frame.top(), side, size.height());
    screen.auxiliaryTopRightArea = QRectF(frame.right() + 1 - side, frame.top(), side, size.height());
}

std::optional<QSizeF> QtScreenSource::notchOverride(const QHash<QString, QString>& overrides, const PlatformScreen& screen) const
{
    QString key = screen.displayUUID.value_or(QString());
    if (!overrides.contains(key))
        key = screen.outputName;
    if (!overrides.contains(key))
        return std::nullopt;
    const QString value = overrides.value(key);
    const std::optional<QSizeF> size = parseNotchSize(value);
    const bool fits = size && size->width() < screen.frame.width() && size->height() < screen.frame.height();
    if (!fits) {
        const QString report = key + QLatin1Char('=') + value;
        if (!m_reportedOverrides.contains(report)) {
            m_reportedOverrides.insert(report);
            qCCritical(lcPlatformDisplay,
                "Ignoring notch override %s for display %s: expected WIDTHxHEIGHT smaller than the screen", qUtf8Printable(value),
                qUtf8Printable(key));
        }
        return std::nullopt;
    }
    return size;
}

void QtScreenSource::setNotchSize(const PlatformScreen& screen, const std::optional<QSizeF>& size)
{
    writeNotchSize(m_defaults, screen, size);
    scheduleChange();
}

void QtScreenSource::writeNotchSize(UserDefaults& defaults, const PlatformScreen& screen, const std::optional<QSizeF>& size)
{
    const QHash<QString, QString> overrides = defaults.group(notchGroup);
    const QString id = screen.displayUUID.value_or(QString());
    if (!size) {
        for (const QString& key : { id, screen.outputName }) {
            if (!key.isEmpty() && overrides.contains(key))
                defaults.remove(notchGroup + QLatin1Char('/') + key);
        }
        return;
    }
    // The key the program reads for this screen: its id first, then its output.
    QString key = id.isEmpty() ? screen.outputName : id;
    if (!overrides.contains(key) && overrides.contains(screen.outputName))
        key = screen.outputName;
    defaults.setString(notchGroup + QLatin1Char('/') + key,
        QStringLiteral("%1x%2").arg(QString::number(size->width()), QString::number(size->height())));
}
