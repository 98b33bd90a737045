#pragma once

#include <QString>

#include <optional>

/// `brimwell activity …`: starts, changes, ends and lists the running
/// Brimwell's live activities over the session bus, then exits. A short-lived
/// process with a core application only, so its calls may block.
namespace ActivityCommand {

/// The command line names this command.
bool matches(int argc, char** argv);

/// Runs it. The exit status: 0 done, 1 Brimwell is not running or refused
/// the request (the reason on stderr), 2 a usage error.
int run(int argc, char** argv);

/// "90s", "5m", "1h30m" in milliseconds; none for zero, negative or other text.
std::optional<qint64> durationMs(const QString& text);

} // namespace ActivityCommand
