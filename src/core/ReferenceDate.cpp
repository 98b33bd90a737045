#include "ReferenceDate.h"

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
    return QDateTime::fromMSecsSinceEpoch(referenceEpochMs + qint64(std::llround(seconds * 1000.0)), Qt::UTC);
}

} // namespace ReferenceDate

QString uuidText(const QUuid& uuid)
{
    return uuid.toString(QUuid::WithoutBraces).toUpper();
}
