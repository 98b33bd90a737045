#pragma once

#include <QLoggingCategory>
#include <QString>

#include <functional>

/// Defines one of the program's log categories. Each area declares its own
/// (Q_DECLARE_LOGGING_CATEGORY in a header of its folder when several files
/// share it): `qtName` is "brimwell.<area>", for QT_LOGGING_RULES (e.g.
/// "brimwell.calendar.debug=true"); `field` names the category in the
/// journal's BRIMWELL_CATEGORY field and on stderr. Debug lines are off by
/// default. Write with Qt's macros; the format is checked by the compiler
/// (-Wformat) and a disabled level costs nothing:
///
///     qCInfo(lcIsland, "Island placed on %s", qUtf8Printable(name));
///
/// Levels: qCDebug → debug, qCInfo → info, qCWarning → default,
/// qCCritical → error.
#define BRIMWELL_LOGGING_CATEGORY(name, qtName, field)                                                                           \
    const QLoggingCategory& name()                                                                                               \
    {                                                                                                                            \
        static const bool known = Log::addCategory(qtName, field);                                                               \
        static const QLoggingCategory category(qtName, QtInfoMsg);                                                               \
        Q_UNUSED(known);                                                                                                         \
        return category;                                                                                                         \
    }

/// The program as a whole: start, settings, updates, power.
Q_DECLARE_LOGGING_CATEGORY(lcApp)

/// Where the lines go: one subsystem (the application id) and the category
/// of each line. Lines go to the systemd journal when there is one, with the
/// subsystem and category as fields, else one line each on stderr. Lines of
/// other categories (Qt's own) keep Qt's handler.
namespace Log {

enum class Level { debug, info, defaultLevel, error };

/// Makes the category `qtName` one of ours, named `field` in its lines.
/// Both must live as long as the program (string literals).
bool addCategory(const char* qtName, const char* field);
const char* levelName(Level level);
/// The subsystem: the application id, or "com.larkmoor.Brimwell" without one.
QString subsystem();

struct Entry {
    QString subsystem;
    /// The category's field, e.g. "Island".
    QString category;
    Level level;
    QString message;
};

/// Routes the messages of our categories to write(); other categories keep
/// Qt's handler. Call once at start; calling again changes nothing.
void installMessageHandler();

/// Writes one line.
void write(const QString& category, Level level, const QString& message);

/// Formats the stderr form, e.g. "com.larkmoor.Brimwell[App] default: text".
QString formatLine(const Entry& entry);

/// Tests capture lines here; an empty sink restores the real destination.
using Sink = std::function<void(const Entry&)>;
void setSink(Sink sink);

} // namespace Log
