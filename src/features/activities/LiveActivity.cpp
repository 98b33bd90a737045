#include "LiveActivity.h"

#include <cmath>

LiveActivity::Value LiveActivity::value() const
{
    if (endsAtMs)
        return Value::countdown;
    if (startedAtMs)
        return Value::elapsed;
    if (progress)
        return Value::progress;
    return Value::none;
}

QString LiveActivity::durationText(qint64 seconds)
{
    seconds = std::max<qint64>(seconds, 0);
    const auto two = [](qint64 n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
    if (seconds >= 3600)
        return QStringLiteral("%1:%2:%3").arg(seconds / 3600).arg(two(seconds / 60 % 60), two(seconds % 60));
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(two(seconds % 60));
}

QString LiveActivity::valueText(qint64 nowMs) const
{
    switch (value()) {
    case Value::countdown:
        if (isDone(nowMs))
            return QStringLiteral("Done");
        return durationText((*endsAtMs - nowMs + 999) / 1000);
    case Value::elapsed:
        return durationText((nowMs - *startedAtMs) / 1000);
    case Value::progress:
        return QStringLiteral("%1%").arg(std::lround(*progress * 100));
    case Value::none:
        break;
    }
    return {};
}

std::optional<qint64> LiveActivity::untilTextChanges(qint64 nowMs) const
{
    switch (value()) {
    case Value::countdown:
        // Rounded up: "0:05" until exactly 4 s are left.
        if (isDone(nowMs))
            return std::nullopt;
        return (*endsAtMs - nowMs - 1) % 1000 + 1;
    case Value::elapsed: {
        const qint64 elapsed = nowMs - *startedAtMs;
        return elapsed < 0 ? 1000 - elapsed : 1000 - elapsed % 1000;
    }
    case Value::progress:
    case Value::none:
        break;
    }
    return std::nullopt;
}
