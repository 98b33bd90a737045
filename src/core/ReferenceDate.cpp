#include "ReferenceDate.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr qint64 referenceEpochMs = 978307200000LL; // 2001-01-01T00:00:00Z
}

namespace ReferenceDate {

double secondsSinceReference(const QDateTime& instant)
{
    return double(instant.toMSecsSinceEpoch() - referenceEpochMs) / 1000.0;
}

QDateTime fromSecondsSinceReference(double seconds)
{
    // Stored dates come from files: one beyond any clock's reach (or not a
    // number) is held at the edge of about three million years either way
    // instead of overflowing the milliseconds.
    constexpr double limitSeconds = 1e14;
    const double bounded = std::isnan(seconds) ? 0.0 : std::clamp(seconds, -limitSeconds, limitSeconds);
    return QDateTime::fromMSecsSinceEpoch(referenceEpochMs + qint64(std::llround(bounded * 1000.0)), Qt::UTC);
}

} // namespace ReferenceDate

QString uuidText(const QUuid& uuid)
{
    return uuid.toString(QUuid::WithoutBraces).toUpper();
}
