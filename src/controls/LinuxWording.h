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
public:
    using QObject::QObject;

    /// "Play something in Music, Spotify or your browser": Music is macOS's own player.
    static QString nowPlayingEmptySubtitle()
    {
        return QStringLiteral("Play something in your music player, Spotify or your browser");
    }

    /// "Waiting for Accessibility permission to replace the system HUD": on X11
    /// the permission is the media keys being free of other programs' grabs.
    static constexpr const char* waitingForMediaKeys = "Waiting for the media keys to be free to replace the system HUD";
    /// "Unable to create the media key event tap": X11 grabs keys instead of tapping events.
    static constexpr const char* unableToGrabMediaKeys = "Unable to grab the media keys";
};
