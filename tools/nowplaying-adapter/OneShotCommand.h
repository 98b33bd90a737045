#pragma once

#include <QDBusConnection>
#include <QString>

/// "send" and "seek" modes: act on the current player once and return the
/// exit status; failures are described on stderr.
namespace OneShotCommand {

/// Codes: 2 play/pause, 4 next, 5 previous.
int send(const QDBusConnection& bus, const QString& code);
/// Moves the current track to `micros` (a decimal integer).
int seek(const QDBusConnection& bus, const QString& micros);
/// The player commands go to: the one a running stream shows, else a
/// playing one, else a paused one, else any; empty when there is none.
QString currentPlayer(const QDBusConnection& bus);

} // namespace OneShotCommand
