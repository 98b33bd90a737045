#include "ClockText.h"

namespace {
// The short time format with quoted literals blanked out, so a literal "a"
// (as in some locales' "h 'a'") is not taken for an AM/PM field.
QString unquoted(const QString& format)
{
    QString out;
    bool quoted = false;
    for (QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        else
            out += quoted ? QChar(u' ') : c;
    }
    return out;
}

struct HourPattern {
    int hourDigits = 1;
    QString separator = QStringLiteral(":");
};

// The locale's own hour width ("h" or "hh") and hour-minute separator, read
// from its short time format.
HourPattern hourPattern(const QLocale& locale)
{
    HourPattern pattern;
    int hourLetters = 0;
    QString separator;
    bool quoted = false;
    for (QChar c : locale.timeFormat(QLocale::ShortFormat)) {
        if (c == u'\'') {
            quoted = !quoted;
            continue;
        }
        if (!quoted && (c == u'h' || c == u'H')) {
            ++hourLetters;
        } else if (!quoted && c == u'm') {
            break;
        } else if (hourLetters > 0) {
            separator += c;
        }
    }
    pattern.hourDigits = hourLetters >= 2 ? 2 : 1;
    if (!separator.trimmed().isEmpty())
        pattern.separator = separator.trimmed();
    return pattern;
}

QString digits(const QLocale& locale, int value, int width)
{
    QString text = locale.toString(value);
    if (width == 2 && value < 10)
        text.prepend(locale.zeroDigit());
    return text;
}
} // namespace

bool ClockText::usesTwelveHourClock(const QLocale& locale)
{
    const QString format = unquoted(locale.timeFormat(QLocale::ShortFormat));
    return format.contains(u'a') || format.contains(u'A');
}

ClockText::Parts ClockText::text(const QTime& time, const QLocale& locale)
{
    const bool twelve = usesTwelveHourClock(locale);
    Parts parts;
    const HourPattern pattern = hourPattern(locale);
    int hour = time.hour();
    if (twelve)
        hour = hour % 12 == 0 ? 12 : hour % 12;
    parts.time = digits(locale, hour, pattern.hourDigits) + pattern.separator + digits(locale, time.minute(), 2);
    if (twelve)
        parts.period = time.hour() < 12 ? locale.amText() : locale.pmText();
    return parts;
}
