#pragma once

#include <QLoggingCategory>
#include <QString>

#include <functional>

/// The program's log categories. Write with Qt's macros; the format is
/// checked by the compiler (-Wformat) and a disabled level costs nothing:
///
///     qCInfo(lcIsland, "Island placed on %s", qUtf8Printable(name));
///
/// Levels: qCDebug → debug, qCInfo → info, qCWarning → default,
/// qCCritical → error. QT_LOGGING_RULES applies (e.g. "Island.debug=false").
Q_DECLARE_LOGGING_CATEGORY(lcApp)
Q_DECLARE_LOGGING_CATEGORY(lcIsland)
Q_DECLARE_LOGGING_CATEGORY(lcCalendar)
Q_DECLARE_LOGGING_CATEGORY(lcClipboard)
Q_DECLARE_LOGGING_CATEGORY(lcNowPlaying)
Q_DECLARE_LOGGING_CATEGORY(lcHUD)
Q_DECLARE_LOGGING_CATEGORY(lcShelf)

/// Where the lines go: one subsystem (the application id) and the seven
/// categories above. Lines go to the systemd journal when there is one, with
/// the subsystem and category as fields, else one line each on stderr.
namespace Log {

enum class Category { app, island, calendar, clipboard, nowPlaying, hud, shelf };
enum class Level { debug, info, defaultLevel, error };

const char* categoryName(Category category);
const char* levelName(Level level);
/// The subsystem: the application id, or "com.larkmoor.Brimwell" without one.
QString subsystem();

struct Entry {
    QString subsystem;
    Category category;
    Level level;
    QString message;
};

/// Routes the messages of our categories to write(); other categories keep
/// Qt's handler. Call once at start; calling again changes nothing.
void installMessageHandler();

/// Writes one line.
void write(Category category, Level level, const QString& message);

/// Formats the stderr form, e.g. "com.larkmoor.Brimwell[App] default: text".
QString formatLine(const Entry& entry);

/// Tests capture lines here; an empty sink restores the real destination.
using Sink = std::function<void(const Entry&)>;
void setSink(Sink sink);

} // namespace Log
