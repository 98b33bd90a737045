#pragma once

#include "SettingsPane.h"
#include "SettingsPaneModel.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

namespace KeyCaptureStates {
Q_NAMESPACE
QML_ELEMENT
/// The media keys: not yet allowed, allowed and held, or allowed and starting.
enum class KeyCaptureState { allow, allowed, starting };
Q_ENUM_NS(KeyCaptureState)
} // namespace KeyCaptureStates
using KeyCaptureStates::KeyCaptureState;

/// One entry of "Show on display".
struct SettingsDisplayChoice {
    /// The display id stored as the preference; empty for automatic.
    QString id;
    QString label;

    friend bool operator==(const SettingsDisplayChoice&, const SettingsDisplayChoice&) = default;
};

class BrightnessService;
class CalendarService;
class ClipboardService;
class MediaKeyInterceptor;
class NowPlayingService;
class ScreenService;
class ShelfService;
class SettingsStore;
class TrayHost;
class UserDefaults;

/// What the settings window shows beyond the stored preferences: the
/// remembered pane, the display choices, the services' rows and footers,
/// and the value texts. Services that this program lacks are null and
/// their rows read as unavailable.
// Not final: Qt 6.4's QML registration derives from every type it could
// default-construct, uncreatable or not.
class SettingsViewLogic : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Created by the settings window")
    /// The pane shown; kept under "settingsSelectedPane" as its raw value.
    Q_PROPERTY(SettingsPanes::SettingsPane selectedPane READ selectedPane WRITE setSelectedPane NOTIFY selectedPaneChanged FINAL)
    /// The sidebar title of the pane shown.
    Q_PROPERTY(QString selectedPaneTitle READ selectedPaneTitle NOTIFY selectedPaneChanged FINAL)
    /// One entry per pane in sidebar order.
    Q_PROPERTY(SettingsPaneModel* panes READ panes CONSTANT FINAL)
    /// The labels of displayChoices(), "Automatic" first.
    Q_PROPERTY(QStringList displayChoiceLabels READ displayChoiceLabels NOTIFY displayChoicesChanged FINAL)
    /// The entry of displayChoices standing for the stored preference.
    Q_PROPERTY(int displayChoiceIndex READ displayChoiceIndex NOTIFY displayChoicesChanged FINAL)
    /// The name of the display the island is on; empty without a screen.
    Q_PROPERTY(QString notchDisplayName READ notchDisplayName NOTIFY notchChanged FINAL)
    /// The notch of that display; an empty size when it has none.
    Q_PROPERTY(QSizeF notchSize READ notchSize NOTIFY notchChanged FINAL)
    /// The media key row's state.
    Q_PROPERTY(KeyCaptureStates::KeyCaptureState keyCaptureState READ keyCaptureState NOTIFY servicesChanged FINAL)
    /// After "Allow…" failed: which desktop setting holds the keys; else empty.
    Q_PROPERTY(QString keyCaptureHint READ keyCaptureHint NOTIFY servicesChanged FINAL)
    /// The desktop keeps the media keys (Wayland): replacing its HUD is not available.
    Q_PROPERTY(bool keysHeldByDesktop READ keysHeldByDesktop NOTIFY servicesChanged FINAL)
    /// The HUD pane's first footer.
    Q_PROPERTY(QString hudFooter READ hudFooter NOTIFY servicesChanged FINAL)
    /// The Now Playing pane's "Reading from" value.
    Q_PROPERTY(QString nowPlayingSource READ nowPlayingSource NOTIFY servicesChanged FINAL)
    /// "Automatic", then every player seen or stored as preferred.
    Q_PROPERTY(QStringList playerChoices READ playerChoices NOTIFY playerChoicesChanged FINAL)
    Q_PROPERTY(int playerChoiceIndex READ playerChoiceIndex NOTIFY playerChoicesChanged FINAL)
    /// The players present and those already ignored, for "Never show".
    Q_PROPERTY(QStringList ignorablePlayers READ ignorablePlayers NOTIFY playerChoicesChanged FINAL)
    /// The calendar access, as CalendarAccesses.CalendarAccess; -1 without a calendar.
    Q_PROPERTY(int calendarAccess READ calendarAccess NOTIFY servicesChanged FINAL)
    /// Entries in the clipboard history.
    Q_PROPERTY(int clipboardCount READ clipboardCount NOTIFY servicesChanged FINAL)
    /// Items on the shelf; 0 without a shelf.
    Q_PROPERTY(int shelfCount READ shelfCount NOTIFY servicesChanged FINAL)
    /// How many items the shelf keeps.
    Q_PROPERTY(int shelfLimit READ shelfLimit CONSTANT FINAL)
    /// How many of today's events the Calendar tab lists.
    Q_PROPERTY(int todayLimit READ todayLimit CONSTANT FINAL)
    /// How many entries the clipboard history keeps.
    Q_PROPERTY(int clipboardLimit READ clipboardLimit CONSTANT FINAL)
    /// The desktop shows tray icons (true when unknown).
    Q_PROPERTY(bool showsTrayIcons READ showsTrayIcons NOTIFY servicesChanged FINAL)
    /// "Version 1.4 (27)".
    Q_PROPERTY(QString versionDescription READ versionDescription CONSTANT FINAL)

public:
    /// The pane is remembered in `defaults`.
    SettingsViewLogic(SettingsStore& settings, ScreenService& screens, UserDefaults& defaults, QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(SettingsViewLogic)

    static QString selectedPaneKey() { return QStringLiteral("settingsSelectedPane"); }
    /// The pane of a stored raw value; general for anything unknown.
    static SettingsPane paneFromRaw(const QString& raw);

    void setHUD(BrightnessService* brightness, MediaKeyInterceptor* keys);
    void setNowPlaying(NowPlayingService* service);
    void setCalendar(CalendarService* service);
    void setClipboard(ClipboardService* service);
    void setShelf(ShelfService* service);
    void setTrayHost(TrayHost* host);

    SettingsPane selectedPane() const { return m_selectedPane; }
    void setSelectedPane(SettingsPane pane);
    QString selectedPaneTitle() const { return QString::fromUtf8(settingsPaneInfo(m_selectedPane).title); }
    SettingsPaneModel* panes() const { return m_panes; }
    /// The "Show on display" entries, "Automatic" first.
    QList<SettingsDisplayChoice> displayChoices() const;
    QStringList displayChoiceLabels() const;
    int displayChoiceIndex() const;
    QString notchDisplayName() const;
    QSizeF notchSize() const;
    KeyCaptureState keyCaptureState() const;
    QString keyCaptureHint() const { return m_keyCaptureHint; }
    bool keysHeldByDesktop() const;
    QString hudFooter() const;
    QString nowPlayingSource() const;
    QStringList playerChoices() const;
    int playerChoiceIndex() const;
    QStringList ignorablePlayers() const;
    /// Stores the player at `index` of playerChoices() as preferred.
    Q_INVOKABLE void choosePlayer(int index);
    Q_INVOKABLE void setPlayerIgnored(const QString& name, bool ignored);
    /// The About pane's "Quit" button: the window's owner quits the program.
    Q_INVOKABLE void requestQuit() { Q_EMIT quitRequested(); }
    int calendarAccess() const;
    int clipboardCount() const;
    int shelfCount() const;
    bool showsTrayIcons() const;
    static int shelfLimit();
    static QString versionDescription();
    static int todayLimit();
    static int clipboardLimit();

    /// Chooses a "Show on display" entry.
    Q_INVOKABLE void chooseDisplay(int index);
    /// Gives the island's display a notch of `width` × `height` points, or
    /// none when either is not above 0.
    Q_INVOKABLE void setNotchSize(double width, double height);
    /// "Allow…": takes the keys again; when another program holds them,
    /// keyCaptureHint says where to release them.
    Q_INVOKABLE void requestKeyCapture();
    /// "60 %".
    Q_INVOKABLE static QString percentText(double value);
    /// "0.20 s".
    Q_INVOKABLE static QString secondsText(double value);
    /// Where this desktop lets the user release shortcuts, for `desktop`
    /// ($XDG_CURRENT_DESKTOP).
    static QString shortcutSettingsHint(const QString& desktop);

Q_SIGNALS:
    void selectedPaneChanged();
    void displayChoicesChanged();
    void notchChanged();
    void servicesChanged();
    void playerChoicesChanged();
    void quitRequested();

private:
    void follow(QObject* service);

    SettingsStore& m_settings;
    ScreenService& m_screens;
    UserDefaults& m_defaults;
    SettingsPane m_selectedPane;
    QPointer<BrightnessService> m_brightness;
    QPointer<MediaKeyInterceptor> m_keys;
    QPointer<NowPlayingService> m_nowPlaying;
    QPointer<CalendarService> m_calendar;
    QPointer<ClipboardService> m_clipboard;
    QPointer<ShelfService> m_shelf;
    QPointer<TrayHost> m_trayHost;
    QString m_keyCaptureHint;
    SettingsPaneModel* m_panes;
};
