#pragma once

#include <QObject>

#include <functional>

/// The volume, mute and brightness keys.
enum class MediaKey { volumeUp, volumeDown, mute, brightnessUp, brightnessDown };

/// One media key event: the press (or release) of `key`, with Shift and
/// Alt held together for a fine step.
struct MediaKeyPress {
    MediaKey key = MediaKey::volumeUp;
    bool isKeyDown = true;
    bool isFineStep = false;

    friend bool operator==(const MediaKeyPress&, const MediaKeyPress&) = default;
};

/// Takes the media keys before the desktop acts on them. Whether it may is
/// whether no other program holds them: `isTrusted()`. Each event goes to
/// the handler; one it declines reaches whatever it would have reached.
class MediaKeyGrabber : public QObject {
    Q_OBJECT
public:
    /// True when the event was dealt with and nobody else gets it.
    using Handler = std::function<bool(const MediaKeyPress&)>;

    using QObject::QObject;

    /// Whether the display server lets a program take keys at all: on
    /// Wayland only the desktop does.
    virtual bool canGrab() const { return true; }
    /// Whether the keys can be taken now (no other program holds them).
    virtual bool isTrusted() = 0;
    /// Takes every key; false, with nothing taken, when any is held elsewhere.
    virtual bool grab() = 0;
    virtual void release() = 0;
    virtual bool isGrabbed() const = 0;
    void setHandler(Handler handler) { m_handler = std::move(handler); }

Q_SIGNALS:
    /// The keyboard mapping changed, so what can be taken may have too.
    void trustMayHaveChanged();

protected:
    bool handle(const MediaKeyPress& press) const { return m_handler && m_handler(press); }

private:
    Handler m_handler;
};
