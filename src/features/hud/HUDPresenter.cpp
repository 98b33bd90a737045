#include "HUDPresenter.h"

HUDPresenter::HUDPresenter(Scheduler& scheduler, QObject* parent)
    : QObject(parent)
    , m_hideTask(scheduler)
{
}

void HUDPresenter::setInteracting(bool interacting)
{
    if (interacting == m_isInteracting)
        return;
    m_isInteracting = interacting;
    Q_EMIT isInteractingChanged();
}

void HUDPresenter::show(const HUDState& state)
{
    if (m_state != state)
        publish(state);
    scheduleHide();
}

void HUDPresenter::update(const HUDState& state)
{
    // An update never makes the HUD appear or switch kind.
    if (!m_state || m_state->kind != state.kind || *m_state == state)
        return;
    publish(state);
}

void HUDPresenter::dismiss()
{
    m_hideTask.cancel();
    setInteracting(false);
    publish(std::nullopt);
}

void HUDPresenter::scheduleHide()
{
    if (m_isInteracting)
        return;
    m_hideTask.start(m_displayDuration, [this] { publish(std::nullopt); });
}

void HUDPresenter::publish(const std::optional<HUDState>& state)
{
    if (state == m_state)
        return;
    m_state = state;
    if (state)
        m_lastState = *state;
    Q_EMIT stateChanged();
}
