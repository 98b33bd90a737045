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
    Q_PROPERTY(QString nowPlayingEmptySubtitle READ nowPlayingEmptySubtitle CONSTANT)
    Q_PROPERTY(QString showInFinder READ showInFinder CONSTANT)
    Q_PROPERTY(QString airDrop READ airDrop CONSTANT)
    Q_PROPERTY(QString airDropAll READ airDropAll CONSTANT)
public:
    using QObject::QObject;

    /// "Play something in Music, Spotify or your browser": Music is macOS's own player.
    static QString nowPlayingEmptySubtitle()
    {
        return QStringLiteral("Play something in your music player, Spotify or your browser");
    }

    /// "Show in Finder": the file browser is the desktop's own.
    static QString showInFinder() { return QStringLiteral("Show in Folder"); }
    /// "AirDrop": files go to the user's paired devices (KDE Connect).
    static QString airDrop() { return QStringLiteral("Send to Device"); }
    /// "AirDrop All".
    static QString airDropAll() { return QStringLiteral("Send All to Device"); }
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

    // Clipboard types that mark a copy as not to be kept, besides the six
    // identifiers other platforms use (which Linux programs may offer too).
    /// KeePassXC and KDE's password tools: with the content "secret", a
    /// password (the concealed-type marker).
    static constexpr const char* passwordManagerHint = "x-kde-passwordManagerHint";
    /// GNOME's file managers: files copied or cut (the file-URL type).
    static constexpr const char* gnomeCopiedFiles = "x-special/gnome-copied-files";
    /// KDE's file managers: files cut (the file-URL type).
    static constexpr const char* kdeCutSelection = "application/x-kde-cutselection";
    /// A list of URLs; files copied when every entry is a file: URL (the
    /// file-URL type).
    static constexpr const char* uriList = "text/uri-list";
};
