#include "WallClockEvents.h"

namespace {
WallClockEvents* installedEvents = nullptr;
} // namespace

WallClockEvents::~WallClockEvents()
{
    if (installedEvents == this)
        installedEvents = nullptr;
}

WallClockEvents& WallClockEvents::system()
{
    static WallClockEvents silent;
    return installedEvents ? *installedEvents : silent;
}

void WallClockEvents::setSystem(WallClockEvents* events)
{
    installedEvents = events;
}
