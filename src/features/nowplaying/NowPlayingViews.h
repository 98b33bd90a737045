#pragma once

#include <QString>

class NowPlayingService;
class QQmlEngine;

/// The Now Playing views (QML module Brimwell.NowPlaying) as a host uses them:
///
///     NowPlayingViews::addImageProvider(*engine, service); // each engine that shows them
///
/// then `import Brimwell.NowPlaying` in QML for NowPlayingView, AudioWaveView
/// and NowPlayingArtworkThumbnail. They also import Brimwell.Views.
namespace NowPlayingViews {

/// The image provider's id: "image://nowplaying/...".
inline const QString imageProviderID = QStringLiteral("nowplaying");

/// Serves `service`'s artwork and source icon to the views on `engine`
/// (the engine owns the provider). Calling it also links the module's
/// static plugin into the program, which the import needs.
void addImageProvider(QQmlEngine& engine, NowPlayingService* service);

} // namespace NowPlayingViews
