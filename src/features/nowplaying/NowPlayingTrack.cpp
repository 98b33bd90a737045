#include "NowPlayingTrack.h"

#include <algorithm>

std::optional<double> NowPlayingTrack::elapsed(const QDateTime& now) const
{
    if (!elapsedTime)
        return std::nullopt;
    double position = *elapsedTime;
    if (isPlaying && playbackRate != 0 && elapsedTimestamp)
        position = *elapsedTime + playbackRate * (double(elapsedTimestamp->msecsTo(now)) / 1000.0);
    if (duration)
        position = std::min(position, *duration);
    return position <= 0 ? 0.0 : position;
}
