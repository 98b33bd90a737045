#include "ClipboardItem.h"

#include "ReferenceDate.h"

#include <QJsonObject>
#include <QRegularExpression>
#include <QTextBoundaryFinder>

namespace {

constexpr int previewLength = 300;

} // namespace

QString ClipboardItem::preview(const QString& text)
{
    // Cut after whole graphemes, so an emoji or a letter with its accents
    // is never split.
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    qsizetype end = text.size();
    for (int count = 0; count < previewLength; ++count) {
        if (graphemes.toNextBoundary() < 0) {
            end = text.size();
            break;
        }
        end = graphemes.position();
    }
    static const QRegularExpression whiteSpace(QStringLiteral("\\s+"), QRegularExpression::UseUnicodePropertiesOption);
    return text.left(end).trimmed().replace(whiteSpace, QStringLiteral(" "));
}

QJsonValue ClipboardItem::toJson() const
{
    QJsonObject object {
        { QStringLiteral("id"), uuidText(id) },
        { QStringLiteral("text"), text },
        { QStringLiteral("copiedAt"), ReferenceDate::secondsSinceReference(copiedAt) },
    };
    if (sourceAppName)
        object.insert(QStringLiteral("sourceAppName"), *sourceAppName);
    return object;
}

std::optional<ClipboardItem> ClipboardItem::fromJson(const QJsonValue& value, QString& error)
{
    if (!value.isObject()) {
        error = QStringLiteral("an entry is not an object");
        return std::nullopt;
    }
    const QJsonObject object = value.toObject();
    const QJsonValue id = object.value(QStringLiteral("id"));
    const QJsonValue text = object.value(QStringLiteral("text"));
    const QJsonValue copiedAt = object.value(QStringLiteral("copiedAt"));
    const QUuid uuid = QUuid::fromString(id.toString());
    if (!id.isString() || uuid.isNull()) {
        error = QStringLiteral("\"id\" is missing or not a UUID");
        return std::nullopt;
    }
    if (!text.isString()) {
        error = QStringLiteral("\"text\" is missing or not a string");
        return std::nullopt;
    }
    if (!copiedAt.isDouble()) {
        error = QStringLiteral("\"copiedAt\" is missing or not a number");
        return std::nullopt;
    }
    ClipboardItem item { uuid, text.toString(), ReferenceDate::fromSecondsSinceReference(copiedAt.toDouble()), {} };
    if (const QJsonValue name = object.value(QStringLiteral("sourceAppName")); name.isString())
        item.sourceAppName = name.toString();
    return item;
}
