#include "ActivityHints.h"

#include <QMetaType>
#include <QRegularExpression>

#include <cmath>

namespace {

// D-Bus hands numbers over in their own width; scripts send 1 where they
// mean 1.0, so any number type is a number.
bool isNumberType(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

bool isIntegerType(const QVariant& value)
{
    return isNumberType(value) && value.metaType().id() != QMetaType::Double && value.metaType().id() != QMetaType::Float;
}

QString hintTypeProblem(const QString& name, const char* expected)
{
    return QStringLiteral("hint %1 must be %2").arg(name, QLatin1String(expected));
}

} // namespace

std::optional<QString> ActivityHints::textProblem(const QString& text, int maxLength, const char* what, bool mayBeEmpty)
{
    if (text.trimmed().isEmpty() && !mayBeEmpty)
        return QStringLiteral("%1 is empty").arg(QLatin1String(what));
    // Characters as the user counts them, not UTF-16 units.
    const qsizetype length = text.toUcs4().size();
    if (length > maxLength)
        return QStringLiteral("%1 has %2 characters, at most %3 are allowed").arg(QLatin1String(what)).arg(length).arg(maxLength);
    for (QChar c : text) {
        if (c.category() == QChar::Other_Control && c != QLatin1Char('\t'))
            return QStringLiteral("%1 holds a control character").arg(QLatin1String(what));
    }
    return std::nullopt;
}

bool ActivityHints::isIconName(const QString& name)
{
    static const QRegularExpression bareName(QStringLiteral("^[A-Za-z0-9_][A-Za-z0-9._+-]*$"));
    return name.size() <= maxSymbolLength && bareName.match(name).hasMatch();
}

std::optional<QString> ActivityHints::apply(
    LiveActivity& activity, const QVariantMap& hints, qint64 nowMs, bool atStart, QStringList* unknown)
{
    LiveActivity next = activity;
    for (auto it = hints.cbegin(); it != hints.cend(); ++it) {
        const QString& name = it.key();
        const QVariant& value = it.value();
        if (name == QLatin1String("subtitle")) {
            if (value.metaType().id() != QMetaType::QString)
                return hintTypeProblem(name, "a string");
            if (auto problem = textProblem(value.toString(), maxSubtitleLength, "subtitle", true))
                return problem;
            next.subtitle = value.toString();
        } else if (name == QLatin1String("symbol")) {
            const QString symbol = value.toString();
            if (value.metaType().id() != QMetaType::QString)
                return hintTypeProblem(name, "a string");
            if (!symbol.isEmpty() && !isIconName(symbol))
                return QStringLiteral("symbol must be an icon name, not a path or other text");
            next.symbol = symbol;
        } else if (name == QLatin1String("progress")) {
            const double progress = value.toDouble();
            if (!isNumberType(value) || !std::isfinite(progress))
                return hintTypeProblem(name, "a number");
            if (progress < 0 || progress > 1)
                return QStringLiteral("progress %1 is outside 0…1").arg(progress);
            next.progress = progress;
        } else if (name == QLatin1String("endsAt")) {
            if (!isIntegerType(value))
                return hintTypeProblem(name, "an integer (Unix time in milliseconds)");
            const qint64 endsAt = value.toLongLong();
            if (endsAt < nowMs)
                return QStringLiteral("endsAt lies %1 ms in the past").arg(nowMs - endsAt);
            next.endsAtMs = endsAt;
        } else if (name == QLatin1String("startedAt")) {
            if (!isIntegerType(value))
                return hintTypeProblem(name, "an integer (Unix time in milliseconds)");
            next.startedAtMs = value.toLongLong();
        } else if (name == QLatin1String("accent")) {
            static const QRegularExpression colour(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
            if (value.metaType().id() != QMetaType::QString || !colour.match(value.toString()).hasMatch())
                return hintTypeProblem(name, "a colour written #rrggbb");
            next.accent = value.toString();
        } else if (name == QLatin1String("actions")) {
            if (value.metaType().id() != QMetaType::QStringList)
                return hintTypeProblem(name, "a list of strings");
            const QStringList actions = value.toStringList();
            if (actions.size() > maxActions)
                return QStringLiteral("%1 actions given, at most %2 are allowed").arg(actions.size()).arg(maxActions);
            for (const QString& action : actions) {
                if (auto problem = textProblem(action, maxActionLength, "an action"))
                    return problem;
            }
            next.actions = actions;
        } else if (name == QLatin1String("owned")) {
            if (!atStart)
                return QStringLiteral("owned can only be given at Start");
            if (value.metaType().id() != QMetaType::Bool)
                return hintTypeProblem(name, "a boolean");
            next.owned = value.toBool();
        } else {
            if (unknown)
                unknown->append(name);
            continue;
        }
        next.hints.insert(name, value);
    }
    activity = std::move(next);
    return std::nullopt;
}
