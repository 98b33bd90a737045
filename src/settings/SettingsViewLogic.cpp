#include "SettingsViewLogic.h"

#include "AppInfo.h"
#include "BrightnessService.h"
#include "CalendarService.h"
#include "ClipboardService.h"
#include "LinuxWording.h"
#include "MediaKeyInterceptor.h"
#include "NowPlayingService.h"
#include "ScreenService.h"
#include "SettingsStore.h"
#include "ShelfService.h"
#include "TrayHost.h"
#include "UserDefaults.h"

#include <QMetaEnum>
#include <QVariantMap>

SettingsViewLogic::SettingsViewLogic(SettingsStore& settings, ScreenService& screens, UserDefaults& defaults, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_screens(screens)
    , m_defaults(defaults)
    , m_selectedPane(paneFromRaw(defaults.stringValue(selectedPaneKey()).value_or(QString())))
    , m_panes(new SettingsPaneModel(this))
{
    connect(&m_screens, &ScreenService::displaysChanged, this, &SettingsViewLogic::displayChoicesChanged);
    connect(&m_settings, &SettingsStore::preferredDisplayIDChanged, this, &SettingsViewLogic::displayChoicesChanged);
    connect(&m_settings, &SettingsStore::showBrightnessHUDChanged, this, &SettingsViewLogic::servicesChanged);
    connect(&m_settings, &SettingsStore::preferredPlayerChanged, this, &SettingsViewLogic::playerChoicesChanged);
    connect(&m_settings, &SettingsStore::ignoredPlayersChanged, this, &SettingsViewLogic::playerChoicesChanged);
    connect(&m_screens, &ScreenService::screenParametersDidChange, this, &SettingsViewLogic::notchChanged);
    connect(&m_settings, &SettingsStore::preferredDisplayIDChanged, this, &SettingsViewLogic::notchChanged);
}

QString SettingsViewLogic::notchDisplayName() const
{
    const std::optional<PlatformScreen> screen = m_screens.screen(m_settings.preferredDisplayID());
    return screen ? screen->localizedName : QString();
}

QSizeF SettingsViewLogic::notchSize() const
{
    const std::optional<PlatformScreen> screen = m_screens.screen(m_settings.preferredDisplayID());
    const std::optional<QRectF> notch = screen ? ScreenService::notchFrame(*screen) : std::nullopt;
    return notch ? notch->size() : QSizeF();
}

void SettingsViewLogic::setNotchSize(double width, double height)
{
    const std::optional<PlatformScreen> screen = m_screens.screen(m_settings.preferredDisplayID());
    if (!screen)
        return;
    const bool none = !(width > 0) || !(height > 0);
    m_screens.setNotchSize(*screen, none ? std::nullopt : std::optional<QSizeF>(QSizeF(width, height)));
}

SettingsPane SettingsViewLogic::paneFromRaw(const QString& raw)
{
    for (SettingsPane pane : allSettingsPanes) {
        if (raw == QLatin1String(settingsPaneInfo(pane).rawValue))
            return pane;
    }
    return SettingsPane::general;
}

void SettingsViewLogic::setSelectedPane(SettingsPane pane)
{
    if (pane == m_selectedPane)
        return;
    m_selectedPane = pane;
    m_defaults.setString(selectedPaneKey(), QString::fromLatin1(settingsPaneInfo(pane).rawValue));
    Q_EMIT selectedPaneChanged();
}

QStringList SettingsViewLogic::displayChoiceLabels() const
{
    QStringList labels;
    for (const SettingsDisplayChoice& choice : displayChoices())
        labels << choice.label;
    return labels;
}

void SettingsViewLogic::follow(QObject* service)
{
    if (service)
        connect(service, &QObject::destroyed, this, &SettingsViewLogic::servicesChanged);
}

void SettingsViewLogic::setHUD(BrightnessService* brightness, MediaKeyInterceptor* keys)
{
    m_brightness = brightness;
    m_keys = keys;
    follow(brightness);
    follow(keys);
    if (brightness)
        connect(brightness, &BrightnessService::isAvailableChanged, this, &SettingsViewLogic::servicesChanged);
    if (keys) {
        connect(keys, &MediaKeyInterceptor::isActiveChanged, this, &SettingsViewLogic::servicesChanged);
        connect(keys, &MediaKeyInterceptor::isTrustedChanged, this, [this] {
            if (m_keys && m_keys->isTrusted())
                m_keyCaptureHint.clear();
            Q_EMIT servicesChanged();
        });
    }
    Q_EMIT servicesChanged();
}

void SettingsViewLogic::setNowPlaying(NowPlayingService* service)
{
    m_nowPlaying = service;
    follow(service);
    if (service) {
        connect(service, &NowPlayingService::playerNameChanged, this, &SettingsViewLogic::servicesChanged);
        connect(service, &NowPlayingService::sourceNameChanged, this, &SettingsViewLogic::servicesChanged);
        connect(service, &NowPlayingService::playersChanged, this, &SettingsViewLogic::playerChoicesChanged);
    }
    Q_EMIT servicesChanged();
    Q_EMIT playerChoicesChanged();
}

void SettingsViewLogic::setCalendar(CalendarService* service)
{
    m_calendar = service;
    follow(service);
    if (service)
        connect(service, &CalendarService::accessChanged, this, &SettingsViewLogic::servicesChanged);
    Q_EMIT servicesChanged();
}

void SettingsViewLogic::setClipboard(ClipboardService* service)
{
    m_clipboard = service;
    follow(service);
    if (service)
        connect(service, &ClipboardService::itemsChanged, this, &SettingsViewLogic::servicesChanged);
    Q_EMIT servicesChanged();
}

void SettingsViewLogic::setShelf(ShelfService* service)
{
    m_shelf = service;
    follow(service);
    if (service)
        connect(service, &ShelfService::itemsChanged, this, &SettingsViewLogic::servicesChanged);
    Q_EMIT servicesChanged();
}

void SettingsViewLogic::setTrayHost(TrayHost* host)
{
    m_trayHost = host;
    follow(host);
    if (host)
        connect(host, &TrayHost::availableChanged, this, &SettingsViewLogic::servicesChanged);
    Q_EMIT servicesChanged();
}

QList<SettingsDisplayChoice> SettingsViewLogic::displayChoices() const
{
    const auto choice = [](const QString& id, const QString& label) { return SettingsDisplayChoice { id, label }; };
    QList<SettingsDisplayChoice> list { choice(QString(), QStringLiteral("Automatic")) };
    bool listed = false;
    const std::optional<QString>& preferred = m_settings.preferredDisplayID();
    for (const DisplayInfo& display : m_screens.displays()) {
        list << choice(display.id, display.hasNotch ? display.name + QStringLiteral(" (notch)") : display.name);
        listed = listed || display.id == preferred;
    }
    // A preference for a screen that is unplugged now is shown and kept.
    if (preferred && !listed)
        list << choice(*preferred, QStringLiteral("Disconnected display"));
    return list;
}

int SettingsViewLogic::displayChoiceIndex() const
{
    const QList<SettingsDisplayChoice> choices = displayChoices();
    const QString preferred = m_settings.preferredDisplayIDText();
    for (qsizetype i = 0; i < choices.size(); ++i) {
        if (choices[i].id == preferred)
            return int(i);
    }
    return 0;
}

void SettingsViewLogic::chooseDisplay(int index)
{
    const QList<SettingsDisplayChoice> choices = displayChoices();
    if (index < 0 || index >= choices.size())
        return;
    const QString& id = choices[index].id;
    m_settings.setPreferredDisplayID(id.isEmpty() ? std::nullopt : std::optional<QString>(id));
}

bool SettingsViewLogic::keysHeldByDesktop() const
{
    return m_keys && !m_keys->canGrab();
}

KeyCaptureState SettingsViewLogic::keyCaptureState() const
{
    if (!m_keys || !m_keys->isTrusted())
        return KeyCaptureState::allow;
    return m_keys->isActive() ? KeyCaptureState::allowed : KeyCaptureState::starting;
}

void SettingsViewLogic::requestKeyCapture()
{
    if (!m_keys)
        return;
    m_keys->requestTrust();
    m_keyCaptureHint = m_keys->isTrusted() ? QString() : shortcutSettingsHint(qEnvironmentVariable("XDG_CURRENT_DESKTOP"));
    Q_EMIT servicesChanged();
}

QString SettingsViewLogic::shortcutSettingsHint(const QString& desktop)
{
    const QStringList names = desktop.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    if (names.contains(QLatin1String("KDE"), Qt::CaseInsensitive))
        return QString::fromUtf8(LinuxWording::mediaKeysHeldByKDE);
    if (names.contains(QLatin1String("GNOME"), Qt::CaseInsensitive))
        return QString::fromUtf8(LinuxWording::mediaKeysHeldByGNOME);
    return QString::fromUtf8(LinuxWording::mediaKeysHeldElsewhere);
}

QString SettingsViewLogic::hudFooter() const
{
    QString text = QStringLiteral("Volume and brightness changes show in the notch: icon on the left, level on the right.");
    if (m_settings.showBrightnessHUD() && !(m_brightness && m_brightness->isAvailable()))
        text += QStringLiteral(" Brightness is only available for the built-in display.");
    return text;
}

QString SettingsViewLogic::nowPlayingSource() const
{
    if (!m_nowPlaying || m_nowPlaying->playerName().isEmpty())
        return QStringLiteral("No player");
    // The application's own name when its desktop entry gives one.
    return m_nowPlaying->sourceNameValue().isEmpty() ? m_nowPlaying->playerName() : m_nowPlaying->sourceNameValue();
}

QStringList SettingsViewLogic::playerChoices() const
{
    QStringList names = m_nowPlaying ? m_nowPlaying->players() : QStringList();
    // A preferred player that is not running is still the stored choice.
    if (!m_settings.preferredPlayer().isEmpty() && !names.contains(m_settings.preferredPlayer()))
        names << m_settings.preferredPlayer();
    names.sort();
    return QStringList { QStringLiteral("Automatic") } + names;
}

int SettingsViewLogic::playerChoiceIndex() const
{
    const QString& preferred = m_settings.preferredPlayer();
    return preferred.isEmpty() ? 0 : std::max(0, int(playerChoices().indexOf(preferred, 1)));
}

void SettingsViewLogic::choosePlayer(int index)
{
    const QStringList choices = playerChoices();
    if (index < 0 || index >= choices.size())
        return;
    m_settings.setPreferredPlayer(index == 0 ? QString() : choices[index]);
}

QStringList SettingsViewLogic::ignorablePlayers() const
{
    QStringList names = m_nowPlaying ? m_nowPlaying->players() : QStringList();
    for (const QString& name : m_settings.ignoredPlayers()) {
        if (!names.contains(name))
            names << name;
    }
    names.sort();
    return names;
}

void SettingsViewLogic::setPlayerIgnored(const QString& name, bool ignored)
{
    QStringList names = m_settings.ignoredPlayers();
    if (ignored)
        names << name;
    else
        names.removeAll(name);
    m_settings.setIgnoredPlayers(names);
}

int SettingsViewLogic::calendarAccess() const
{
    return m_calendar ? int(m_calendar->access()) : -1;
}

int SettingsViewLogic::clipboardCount() const
{
    return m_clipboard ? m_clipboard->count() : 0;
}

QString SettingsViewLogic::versionDescription()
{
    const BuildInfo& build = AppInfo::main().build();
    const auto text = [](const QString& value) { return value.isEmpty() ? QStringLiteral("–") : value; };
    return QStringLiteral("Version %1 (%2)").arg(text(build.version), text(build.buildNumber));
}

QString SettingsViewLogic::percentText(double value)
{
    return QString::number(qRound(value * 100)) + QStringLiteral(" %");
}

QString SettingsViewLogic::secondsText(double value)
{
    return QString::number(value, 'f', 2) + QStringLiteral(" s");
}

int SettingsViewLogic::todayLimit()
{
    return CalendarService::todayLimit;
}

int SettingsViewLogic::clipboardLimit()
{
    return ClipboardService::historyLimit;
}

int SettingsViewLogic::shelfCount() const
{
    return m_shelf ? m_shelf->count() : 0;
}

bool SettingsViewLogic::showsTrayIcons() const
{
    return !m_trayHost || m_trayHost->isAvailable();
}

int SettingsViewLogic::shelfLimit()
{
    return ShelfService::shelfLimit;
}
