#pragma once

#include "PrivateXServer.h"
#include "X11SelectionOwner.h"

#include <QList>
#include <QMap>

#include <functional>
#include <optional>

/// Another program's drag over a window that takes drops (XDND version 5),
/// spoken through `x` as a drag source would. `targetGone` ends a wait early
/// when the target's program has died; answers left from an earlier target
/// are never taken for this one's.
namespace XdndDragSource {

inline std::optional<xcb_client_message_event_t> answerFrom(
    PrivateXServer& x, xcb_window_t target, const char* type, const std::function<bool()>& targetGone)
{
    std::optional<xcb_client_message_event_t> answer;
    x.waitFor([&] {
        while ((answer = x.takeClientMessage(x.atom(type))) && answer->data.data32[0] != target) { }
        return answer.has_value() || (targetGone && targetGone());
    });
    return answer;
}

/// The drag's enter and first position at the middle of the screen's top
/// edge; true when `target` takes it.
inline bool enters(PrivateXServer& x, xcb_window_t target, xcb_window_t source,
    const QList<QByteArray>& types = { "text/uri-list" }, const std::function<bool()>& targetGone = {})
{
    const uint32_t version = 5;
    QList<uint32_t> atoms;
    for (const QByteArray& type : types)
        atoms.append(x.atom(type.constData()));
    atoms.resize(3);
    x.sendClientMessage(target, x.atom("XdndEnter"), { source, version << 24, atoms[0], atoms[1], atoms[2] });
    x.sendClientMessage(
        target, x.atom("XdndPosition"), { source, 0, (640u << 16) | 10u, XCB_CURRENT_TIME, x.atom("XdndActionCopy") });
    const std::optional<xcb_client_message_event_t> status = answerFrom(x, target, "XdndStatus", targetGone);
    return status && (status->data.data32[1] & 1) == 1;
}

/// Drops `offer` (type → bytes) on `target` from the window `source`:
/// whether it took it, or nothing when it never finished.
inline std::optional<bool> drop(PrivateXServer& x, xcb_window_t target, xcb_window_t source,
    const QMap<QByteArray, QByteArray>& offer, const std::function<bool()>& targetGone = {})
{
    X11SelectionOwner owner(x.display().toLatin1(), offer, true, "XdndSelection");
    if (!enters(x, target, source, offer.keys(), targetGone))
        return std::nullopt;
    x.sendClientMessage(target, x.atom("XdndDrop"), { source, 0, XCB_CURRENT_TIME, 0, 0 });
    const std::optional<xcb_client_message_event_t> finished = answerFrom(x, target, "XdndFinished", targetGone);
    if (!finished)
        return std::nullopt;
    return (finished->data.data32[1] & 1) == 1;
}

} // namespace XdndDragSource
