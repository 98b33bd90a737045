#include "IslandActionsObject.h"

IslandActionsObject::IslandActionsObject(IslandActions actions, QObject* parent)
    : QObject(parent)
    , m_actions(std::move(actions))
{
}

void IslandActionsObject::openSettings()
{
    if (m_actions.openSettings)
        m_actions.openSettings();
}

void IslandActionsObject::quit()
{
    if (m_actions.quit)
        m_actions.quit();
}
