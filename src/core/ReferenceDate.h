#pragma once

#include <QDateTime>
#include <QString>
#include <QUuid>

/// Dates in the stored files are seconds since 2001-01-01 00:00:00 UTC.
namespace ReferenceDate {
double secondsSinceReference(const QDateTime& instant);
QDateTime fromSecondsSinceReference(double seconds);
} // namespace ReferenceDate

/// Upper-case canonical UUID text without braces, as the stored files use.
QString uuidText(const QUuid& uuid);
