#pragma once

#include <QString>

#include <functional>

/// The program's structured log: one subsystem (the bundle identifier) and
/// seven categories. Lines go to the systemd journal when there is one, with
/// the subsystem and category as fields, else one line each on stderr.
namespace Log {

enum class Category { app, island, calendar, clipboard, nowPlaying, hud, shelf };
enum class Level { debug, info, defaultLevel, error };

const char* categoryName(Category category);
const char* levelName(Level level);
/// The subsystem: the bundle identifier, or "com.larkmoor.Brimwell" without one.
QString subsystem();

struct Entry {
    QString subsystem;
    Category category;
    Level level;
    QString message;
};

/// Writes one line.
void write(Category category, Level level, const QString& message);

/// Formats the stderr form, e.g. "com.larkmoor.Brimwell[App] default: text".
QString formatLine(const Entry& entry);

/// Tests capture lines here; an empty sink restores the real destination.
using Sink = std::function<void(const Entry&)>;
void setSink(Sink sink);

/// printf-style helpers; pass strings as const char* (qUtf8Printable).
template <typename... Args>
void debug(Category c, const char* fmt, Args... args) { write(c, Level::debug, QString::asprintf(fmt, args...)); }
template <typename... Args>
void info(Category c, const char* fmt, Args... args) { write(c, Level::info, QString::asprintf(fmt, args...)); }
template <typename... Args>
void notice(Category c, const char* fmt, Args... args) { write(c, Level::defaultLevel, QString::asprintf(fmt, args...)); }
template <typename... Args>
void error(Category c, const char* fmt, Args... args) { write(c, Level::error, QString::asprintf(fmt, args...)); }

} // namespace Log
