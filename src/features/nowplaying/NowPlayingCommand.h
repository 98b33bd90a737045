#pragma once

#include <QtGlobal>

/// Transport commands the user can give the playing application.
enum class NowPlayingCommand { playPause, nextTrack, previousTrack };
