#pragma once

#include "DelayedTask.h"

#include <QObject>
#include <QtQml/qqmlregistration.h>

#include <chrono>
#include <optional>

namespace HUDKinds {
Q_NAMESPACE
QML_ELEMENT
/// Which level the HUD shows.
enum class HUDKind { volume, brightness };
Q_ENUM_NS(HUDKind)
} // namespace HUDKinds
using HUDKinds::HUDKind;

/// One level as the island shows it. Compared exactly, field by field.
struct HUDState {
    HUDKind kind = HUDKind::volume;
    /// 0…1; a volume may be above 1 (an over-amplified sink).
    double level = 0;
    /// Always false for brightness.
    bool isMuted = false;

    friend bool operator==(const HUDState&, const HUDState&) = default;
};

/// Holds the one HUD state that is visible and hides it a set time after
/// the last show, unless the user is dragging the level bar.
// Not final: Qt 6.4's QML registration derives from every type it could
// default-construct, uncreatable or not.
class HUDPresenter : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Owned by the HUD controller")
    /// A level is visible.
    Q_PROPERTY(bool hasState READ hasState NOTIFY stateChanged FINAL)
    // The last state shown stays readable once hidden, so the views keep
    // it while they fade out.
    /// The visible (or last visible) level's kind.
    Q_PROPERTY(HUDKinds::HUDKind kind READ kind NOTIFY stateChanged FINAL)
    /// The visible (or last visible) level, 0…1 (a volume may be above 1).
    Q_PROPERTY(double level READ level NOTIFY stateChanged FINAL)
    Q_PROPERTY(bool isMuted READ isMuted NOTIFY stateChanged FINAL)
    /// The user drags the level bar: no hide is scheduled meanwhile.
    Q_PROPERTY(bool isInteracting READ isInteracting NOTIFY isInteractingChanged FINAL)
public:
    using Duration = std::chrono::milliseconds;

    explicit HUDPresenter(Scheduler& scheduler = Scheduler::system(), QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(HUDPresenter)

    const std::optional<HUDState>& state() const { return m_state; }
    bool hasState() const { return m_state.has_value(); }
    HUDKind kind() const { return m_lastState.kind; }
    double level() const { return m_lastState.level; }
    bool isMuted() const { return m_lastState.isMuted; }

    /// How long a state stays after the last show. A hide already pending
    /// keeps the duration it was scheduled with.
    Duration displayDuration() const { return m_displayDuration; }
    void setDisplayDuration(Duration duration) { m_displayDuration = duration; }
    bool isInteracting() const { return m_isInteracting; }
    void setInteracting(bool interacting);
    bool isHidePending() const { return m_hideTask.isPending(); }

    /// Makes `state` visible and restarts the hide countdown.
    void show(const HUDState& state);
    /// Refreshes the visible level without extending the countdown; only
    /// when a state of the same kind is visible.
    void update(const HUDState& state);
    /// Hides at once.
    void dismiss();
    /// Starts the countdown to hide, unless the user is interacting.
    void scheduleHide();
    void cancelHide() { m_hideTask.cancel(); }

Q_SIGNALS:
    void stateChanged();
    void isInteractingChanged();

private:
    void publish(const std::optional<HUDState>& state);

    std::optional<HUDState> m_state;
    HUDState m_lastState;
    Duration m_displayDuration { 1500 };
    DelayedTask m_hideTask;
    bool m_isInteracting = false;
};
