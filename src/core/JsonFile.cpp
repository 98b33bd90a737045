#include "JsonFile.h"

#include "SaveFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace JsonFile {

static void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

bool write(const QString& path, const QJsonDocument& doc, QString* error, QJsonDocument::JsonFormat format)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        setError(error, QStringLiteral("cannot create folder %1").arg(folder));
        return false;
    }
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        setError(error, file.errorString());
        return false;
    }
    // Restrict before any byte is written so the content is never readable by others.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (!SaveFile::writeAndCommit(file, doc.toJson(format), error))
        return false;
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return true;
}

std::optional<QJsonDocument> read(const QString& path, QString* error)
{
    setError(error, QString());
    QFile file(path);
    if (!file.exists())
        return std::nullopt;
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, file.errorString());
        return std::nullopt;
    }
    QJsonParseError parseError;
    QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        setError(error, parseError.errorString());
        return std::nullopt;
    }
    return doc;
}

std::optional<QString> keepAside(const QString& path)
{
    QString aside = path + QStringLiteral(".corrupt");
    for (int n = 1; QFileInfo::exists(aside); ++n)
        aside = path + QStringLiteral(".corrupt.%1").arg(n);
    if (!QFile::rename(path, aside))
        return std::nullopt;
    return aside;
}

void setListAside(const QString& path, const QString& error, QMessageLogger::CategoryFunction category, const char* what)
{
    const std::optional<QString> aside = keepAside(path);
    qCCritical(category, "Unable to read %s: %s%s", what, qUtf8Printable(error),
        aside ? qUtf8Printable(QStringLiteral("; kept as %1").arg(*aside)) : "");
}

QJsonArray readArray(const QString& path, QMessageLogger::CategoryFunction category, const char* what)
{
    QString error;
    const std::optional<QJsonDocument> document = read(path, &error);
    if (document && document->isArray())
        return document->array();
    if (document)
        error = QStringLiteral("the file does not hold a JSON array");
    if (!error.isEmpty())
        setListAside(path, error, category, what);
    return {};
}

} // namespace JsonFile
