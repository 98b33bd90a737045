#include "X11MediaKeyGrabber.h"

#include "PlatformLog.h"

#include <QCoreApplication>

#include <cstdlib>

namespace {

struct MediaKeysym {
    xcb_keysym_t keysym;
    MediaKey key;
    const char* name;
};
constexpr MediaKeysym mediaKeysyms[] = {
    { 0x1008FF13, MediaKey::volumeUp, "XF86AudioRaiseVolume" },
    { 0x1008FF11, MediaKey::volumeDown, "XF86AudioLowerVolume" },
    { 0x1008FF12, MediaKey::mute, "XF86AudioMute" },
    { 0x1008FF02, MediaKey::brightnessUp, "XF86MonBrightnessUp" },
    { 0x1008FF03, MediaKey::brightnessDown, "XF86MonBrightnessDown" },
};
constexpr xcb_keysym_t numLock = 0xff7f;
constexpr xcb_keysym_t scrollLock = 0xff14;
constexpr xcb_keysym_t altLeft = 0xffe9;
constexpr xcb_keysym_t altRight = 0xffea;

} // namespace

X11MediaKeyGrabber::X11MediaKeyGrabber(xcb_connection_t* connection, QObject* parent)
    : MediaKeyGrabber(parent)
    , m_connection(connection)
{
    if (!m_connection)
        return;
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    readKeymap();
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11MediaKeyGrabber::~X11MediaKeyGrabber()
{
    if (!m_connection)
        return;
    release();
    QCoreApplication::instance()->removeNativeEventFilter(this);
}

void X11MediaKeyGrabber::readKeymap()
{
    m_bindings.clear();
    m_locks = { XCB_MOD_MASK_LOCK };
    m_alt = 0;
    const xcb_setup_t* setup = xcb_get_setup(m_connection);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    auto* mapping = xcb_get_keyboard_mapping_reply(
        m_connection, xcb_get_keyboard_mapping(m_connection, setup->min_keycode, uint8_t(count)), nullptr);
    if (!mapping) {
        qCCritical(lcPlatformHardware, "Unable to read the keyboard mapping");
        return;
    }
    const int perKeycode = mapping->keysyms_per_keycode;
    const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(mapping);
    const auto keysymsOf = [&](xcb_keycode_t keycode) {
        const int row = keycode - setup->min_keycode;
        return (row >= 0 && row < count) ? QList<xcb_keysym_t>(keysyms + row * perKeycode, keysyms + (row + 1) * perKeycode)
                                         : QList<xcb_keysym_t>();
    };
    for (const MediaKeysym& media : mediaKeysyms) {
        bool found = false;
        for (int row = 0; row < count; ++row) {
            if (keysymsOf(xcb_keycode_t(setup->min_keycode + row)).contains(media.keysym)) {
                m_bindings.append({ xcb_keycode_t(setup->min_keycode + row), media.key });
                found = true;
            }
        }
        if (!found)
            qCWarning(lcPlatformHardware, "The keymap has no key for %s; the desktop keeps it", media.name);
    }
    // Which modifier bits Num Lock, Scroll Lock and Alt are on in this keymap.
    if (auto* modifiers = xcb_get_modifier_mapping_reply(m_connection, xcb_get_modifier_mapping(m_connection), nullptr)) {
        const xcb_keycode_t* keycodes = xcb_get_modifier_mapping_keycodes(modifiers);
        const int perModifier = modifiers->keycodes_per_modifier;
        for (int modifier = 0; modifier < 8; ++modifier) {
            const auto mask = uint16_t(1 << modifier);
            for (int i = 0; i < perModifier; ++i) {
                const QList<xcb_keysym_t> syms = keysymsOf(keycodes[modifier * perModifier + i]);
                if ((syms.contains(numLock) || syms.contains(scrollLock)) && !m_locks.contains(mask))
                    m_locks.append(mask);
                if (syms.contains(altLeft) || syms.contains(altRight))
                    m_alt = mask;
            }
        }
        std::free(modifiers);
    }
    std::free(mapping);
}

QList<uint16_t> X11MediaKeyGrabber::modifierCombinations() const
{
    QList<uint16_t> combinations;
    for (int subset = 0; subset < (1 << m_locks.size()); ++subset) {
        uint16_t locks = 0;
        for (int i = 0; i < m_locks.size(); ++i) {
            if (subset & (1 << i))
                locks |= m_locks[i];
        }
        combinations.append(locks);
        if (m_alt)
            combinations.append(locks | m_shift | m_alt);
    }
    return combinations;
}

bool X11MediaKeyGrabber::grabAll()
{
    // Sent together, checked together: one round trip for every grab.
    QList<xcb_void_cookie_t> cookies;
    const QList<uint16_t> combinations = modifierCombinations();
    for (const Binding& binding : m_bindings) {
        for (uint16_t modifiers : combinations) {
            cookies.append(xcb_grab_key_checked(
                m_connection, false, m_root, modifiers, binding.keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_SYNC));
        }
    }
    bool refused = false;
    for (const xcb_void_cookie_t& cookie : cookies) {
        if (xcb_generic_error_t* error = xcb_request_check(m_connection, cookie)) {
            refused = true;
            std::free(error);
        }
    }
    if (refused)
        ungrabAll();
    return !refused;
}

void X11MediaKeyGrabber::ungrabAll()
{
    const QList<uint16_t> combinations = modifierCombinations();
    for (const Binding& binding : m_bindings) {
        for (uint16_t modifiers : combinations)
            xcb_ungrab_key(m_connection, binding.keycode, m_root, modifiers);
    }
    xcb_flush(m_connection);
}

bool X11MediaKeyGrabber::isTrusted()
{
    if (!m_connection)
        return false;
    if (m_grabbed)
        return true;
    const bool free = grabAll();
    if (free)
        ungrabAll();
    return free;
}

bool X11MediaKeyGrabber::grab()
{
    if (!m_connection)
        return false;
    if (!m_grabbed)
        m_grabbed = grabAll();
    return m_grabbed;
}

void X11MediaKeyGrabber::release()
{
    if (!m_grabbed)
        return;
    ungrabAll();
    m_grabbed = false;
}

bool X11MediaKeyGrabber::nativeEventFilter(const QByteArray& type, void* message, qintptr*)
{
    if (type != "xcb_generic_event_t")
        return false;
    auto* event = static_cast<xcb_generic_event_t*>(message);
    const uint8_t kind = event->response_type & 0x7f;
    if (kind == XCB_MAPPING_NOTIFY) {
        const auto* notice = reinterpret_cast<xcb_mapping_notify_event_t*>(event);
        if (notice->request == XCB_MAPPING_POINTER)
            return false;
        // Let go with the old keycodes, read the new ones, take them again.
        const bool wasGrabbed = m_grabbed;
        release();
        readKeymap();
        if (wasGrabbed && !grab())
            qCWarning(lcPlatformHardware, "Another program took the media keys after a keymap change");
        Q_EMIT trustMayHaveChanged();
        return false;
    }
    if (kind != XCB_KEY_PRESS && kind != XCB_KEY_RELEASE)
        return false;
    const auto* key = reinterpret_cast<xcb_key_press_event_t*>(event);
    if (!m_grabbed || key->event != m_root)
        return false;
    for (const Binding& binding : m_bindings) {
        if (binding.keycode != key->detail)
            continue;
        const bool fine = m_alt && (key->state & m_shift) && (key->state & m_alt);
        const bool handled = handle({ binding.key, kind == XCB_KEY_PRESS, fine });
        // The keyboard waits for our answer after a grabbed press: let it go
        // on, or replay the press to the window that would have had it.
        xcb_allow_events(
            m_connection, handled || kind == XCB_KEY_RELEASE ? XCB_ALLOW_ASYNC_KEYBOARD : XCB_ALLOW_REPLAY_KEYBOARD, key->time);
        xcb_flush(m_connection);
        return true;
    }
    return false;
}
