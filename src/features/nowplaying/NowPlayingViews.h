#pragma once

#include <QString>

class NowPlayingService;
class QQmlEngine;

/// The Now Playing views (QML module Brimwell.NowPlaying) as a host uses them.
///
///     NowPlayingViews::initialize();                       // once, after the QGuiApplication
///     NowPlayingViews::addImageProvider(*engine, service); // each engine that shows them
///
/// then `import Brimwell.NowPlaying` in QML: NowPlayingView, AudioWaveView,
/// NowPlayingArtworkThumbnail. They also import Brimwell.Views.
namespace NowPlayingViews {

/// The image provider's id: "image://nowplaying/...".
inline const QString imageProviderID = QStringLiteral("nowplaying");

/// Registers the module's C++ types; safe to call again.
void initialize();
/// Serves `service`'s artwork and source icon to the views on `engine`;
/// the engine owns the provider.
void addImageProvider(QQmlEngine& engine, NowPlayingService* service);

} // namespace NowPlayingViews
