#include "ShelfItem.h"

#include "ReferenceDate.h"

#include <QDir>
#include <QJsonObject>

QUrl ShelfItem::standardized(const QUrl& url)
{
    if (!url.isLocalFile())
        return url;
    return QUrl::fromLocalFile(QDir::cleanPath(url.toLocalFile()));
}

QJsonValue StoredShelfItem::toJson() const
{
    return QJsonObject {
        { QStringLiteral("id"), uuidText(id) },
        { QStringLiteral("bookmark"), QString::fromLatin1(bookmark.toBase64()) },
        { QStringLiteral("addedAt"), ReferenceDate::secondsSinceReference(addedAt) },
        { QStringLiteral("isTemporary"), isTemporary },
    };
}

std::optional<StoredShelfItem> StoredShelfItem::fromJson(const QJsonValue& value, QString& error)
{
    const QJsonObject object = value.toObject();
    const QJsonValue id = object.value(QLatin1String("id"));
    const QJsonValue bookmark = object.value(QLatin1String("bookmark"));
    const QJsonValue addedAt = object.value(QLatin1String("addedAt"));
    const QJsonValue isTemporary = object.value(QLatin1String("isTemporary"));
    const QUuid uuid = QUuid::fromString(id.toString());
    if (!value.isObject() || uuid.isNull() || !bookmark.isString() || !addedAt.isDouble() || !isTemporary.isBool()) {
        error = QStringLiteral("an item lacks a valid id, bookmark, addedAt or isTemporary");
        return std::nullopt;
    }
    const auto decoded = QByteArray::fromBase64Encoding(bookmark.toString().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) {
        error = QStringLiteral("an item's bookmark is not Base64");
        return std::nullopt;
    }
    return StoredShelfItem { uuid, *decoded, ReferenceDate::fromSecondsSinceReference(addedAt.toDouble()), isTemporary.toBool() };
}
