#include "WallClockEvents.h"

namespace {
WallClockEvents* installed = nullptr;
} // namespace

WallClockEvents::~WallClockEvents()
{
    if (installed == this)
        installed = nullptr;
}

WallClockEvents& WallClockEvents::system()
{
    static WallClockEvents silent;
    return installed ? *installed : silent;
}

void WallClockEvents::setSystem(WallClockEvents* events)
{
    installed = events;
}
