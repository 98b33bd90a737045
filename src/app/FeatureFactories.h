#pragma once

#include <functional>
#include <memory>

class NowPlayingService;

/// Makes the feature services for the application delegate: the program
/// builds them over the real platform objects, tests leave out what they
/// don't exercise (a missing factory means the feature is absent).
struct FeatureFactories {
    std::function<std::unique_ptr<NowPlayingService>()> nowPlaying;
};
