#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

/// The program's texts whose macOS-only words are put in Linux terms, in one
/// place, each with the text it stands for. Every other text is used exactly.
class LinuxWording final : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QString nowPlayingEmptySubtitle READ nowPlayingEmptySubtitle CONSTANT FINAL)
    Q_PROPERTY(QString showTrayIcon READ showTrayIcon CONSTANT FINAL)
    Q_PROPERTY(QString generalStartupFooter READ generalStartupFooter CONSTANT FINAL)
    Q_PROPERTY(QString replaceSystemHUD READ replaceSystemHUD CONSTANT FINAL)
    Q_PROPERTY(QString keyCaptureRow READ keyCaptureRow CONSTANT FINAL)
    Q_PROPERTY(QString replaceOnFooter READ replaceOnFooter CONSTANT FINAL)
    Q_PROPERTY(QString replaceOffFooter READ replaceOffFooter CONSTANT FINAL)
    Q_PROPERTY(QString keysHeldByDesktopFooter READ keysHeldByDesktopFooter CONSTANT FINAL)
    Q_PROPERTY(QString nowPlayingFooter READ nowPlayingFooter CONSTANT FINAL)
    Q_PROPERTY(QString calendarWithdraw READ calendarWithdraw CONSTANT FINAL)
    Q_PROPERTY(QString shelfFooter READ shelfFooter CONSTANT FINAL)
    Q_PROPERTY(QString clipboardFooterEnd READ clipboardFooterEnd CONSTANT FINAL)
    Q_PROPERTY(QString clearClipboardMessage READ clearClipboardMessage CONSTANT FINAL)
    Q_PROPERTY(QString showInFolder READ showInFolder CONSTANT FINAL)
    Q_PROPERTY(QString sendToDevice READ sendToDevice CONSTANT FINAL)
    Q_PROPERTY(QString sendAllToDevice READ sendAllToDevice CONSTANT FINAL)
public:
    using QObject::QObject;

    /// "Play something in Music, Spotify or your browser": Music is macOS's own player.
    static QString nowPlayingEmptySubtitle()
    {
        return QStringLiteral("Play something in your music player, Spotify or your browser");
    }

    /// "Show menu bar icon": Linux panels hold a system tray, not a menu bar.
    static QString showTrayIcon() { return QStringLiteral("Show tray icon"); }

    /// "…by opening Brimwell again from Spotlight or Finder.": the desktop's launcher does that here.
    static QString generalStartupFooter()
    {
        return QStringLiteral("Settings are always available from the gear in the expanded island, or by opening Brimwell again "
                              "from your application launcher.");
    }

    /// "Replace macOS volume and brightness HUD".
    static QString replaceSystemHUD() { return QStringLiteral("Replace system volume and brightness HUD"); }

    /// "Accessibility access": on X11 the permission is the media keys being free of other programs' grabs.
    static QString keyCaptureRow() { return QStringLiteral("Media key access"); }

    /// "…so the macOS pop-up no longer appears. Hold Shift and Option for finer steps.": Option is Alt here.
    static QString replaceOnFooter()
    {
        return QStringLiteral("The volume, mute and brightness keys are handled by Brimwell, so the system pop-up no longer "
                              "appears. Hold Shift and Alt for finer steps.");
    }

    /// Wayland lets no program take keys: the desktop keeps them, and the
    /// island shows every change of the level instead.
    static QString keysHeldByDesktopFooter()
    {
        return QStringLiteral("On Wayland the desktop handles the volume, mute and brightness keys. The island shows every "
                              "change of the level; replacing the system pop-up is not available.");
    }

    /// "The macOS pop-up still appears. Turn on “Replace” to show only the island."
    static QString replaceOffFooter()
    {
        return QStringLiteral("The system pop-up still appears. Turn on “Replace” to show only the island.");
    }

    /// "…any app that reports to macOS Now Playing, such as Music, Podcasts, Spotify or YouTube Music in a browser…": players
    /// report over MPRIS here.
    static QString nowPlayingFooter()
    {
        return QStringLiteral("Shows the current track from any player that reports to the desktop’s media controls (MPRIS), "
                              "such as Spotify, Rhythmbox or YouTube Music in a browser. While music plays, the closed island "
                              "shows the artwork and live audio bars.");
    }

    /// "Open Privacy Settings…" for calendar access: the consent is kept by Brimwell itself, so the pane gives and withdraws it.
    static QString calendarWithdraw() { return QStringLiteral("Turn Off"); }

    /// "…then drag them out, AirDrop or share them."
    static QString shelfFooter()
    {
        return QStringLiteral("Drag files, images or text onto the notch to keep them for later, then drag them out, send them "
                              "to a device or share them. Files stay where they are; the shelf only keeps a reference.");
    }

    /// " copied text items on this Mac only…"
    static QString clipboardFooterEnd()
    {
        return QStringLiteral(" copied text items on this computer only. Items that apps mark as passwords or temporary, such as "
                              "from password managers, are never saved.");
    }

    /// "This removes all saved clipboard items from this Mac. It can’t be undone."
    static QString clearClipboardMessage()
    {
        return QStringLiteral("This removes all saved clipboard items from this computer. It can’t be undone.");
    }

    /// "System Settings › Privacy & Security › Accessibility" when the keys
    /// cannot be taken: on X11 another program's grab holds them.
    static constexpr const char* mediaKeysHeldByGNOME
        = "Another program holds the media keys. Release them in Settings › Keyboard › Keyboard Shortcuts, then try again.";
    static constexpr const char* mediaKeysHeldByKDE
        = "Another program holds the media keys. Release them in System Settings › Shortcuts, then try again.";
    static constexpr const char* mediaKeysHeldElsewhere
        = "Another program holds the media keys. Release them in your desktop’s keyboard shortcut settings, then try again.";
    /// "Show in Finder": the file browser is the desktop's own.
    static QString showInFolder() { return QStringLiteral("Show in Folder"); }
    /// "AirDrop": files go to the user's paired devices (KDE Connect).
    static QString sendToDevice() { return QStringLiteral("Send to Device"); }
    /// "AirDrop All".
    static QString sendAllToDevice() { return QStringLiteral("Send All to Device"); }
    /// "AirDrop is not available for the selected items".
    static constexpr const char* sendToDeviceUnavailable = "Send to Device is not available for the selected items";

    /// "Waiting for Accessibility permission to replace the system HUD": on X11
    /// the permission is the media keys being free of other programs' grabs.
    static constexpr const char* waitingForMediaKeys = "Waiting for the media keys to be free to replace the system HUD";
    /// "Unable to create the media key event tap": X11 grabs keys instead of tapping events.
    static constexpr const char* unableToGrabMediaKeys = "Unable to grab the media keys";

    /// "x-apple.systempreferences:com.apple.preference.security": X11 has no
    /// clipboard permission, so there is no settings page to open.
    static constexpr const char* noClipboardPrivacySettings
        = "Clipboard access cannot be turned off on X11; there are no privacy settings to open";
};
