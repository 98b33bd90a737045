#pragma once

#include <QLocale>
#include <QString>
#include <QTime>

/// The status band's clock text for a locale.
class ClockText final {
public:
    /// Hour and minute in the locale's own digits and separator; the
    /// twelve-hour marker is kept apart because it is drawn smaller.
    struct Parts {
        QString time; ///< e.g. "21:05" or "9:05"
        QString period; ///< "PM", "AM" or empty for a 24-hour locale
        bool operator==(const Parts&) const = default;
    };

    /// Whether the locale writes times with a twelve-hour clock. The "j"
    /// skeleton of other toolkits expands to the locale's preferred hour
    /// pattern; its short time format carries the same choice, so an AM/PM
    /// field ("a", "A", "ap", "AP") there means twelve hours. No format: 24.
    static bool usesTwelveHourClock(const QLocale& locale);
    static Parts text(const QTime& time, const QLocale& locale);
};
