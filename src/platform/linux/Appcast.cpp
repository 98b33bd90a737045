#include "Appcast.h"

#include "Log.h"

#include <QRegularExpression>
#include <QXmlStreamReader>

namespace {

const QString sparkleNamespace = QStringLiteral("http://www.andymatuschak.org/xml-namespaces/sparkle");

// The parts of a version: runs of digits compare as numbers, other runs as text.
QStringList versionParts(const QString& version)
{
    static const QRegularExpression parts(QStringLiteral("\\d+|[^\\d.\\-+_ ]+"));
    QStringList result;
    for (auto it = parts.globalMatch(version); it.hasNext();)
        result << it.next().captured();
    return result;
}

bool isNumber(const QString& part)
{
    return !part.isEmpty() && part.front().isDigit();
}

} // namespace

namespace Appcast {

int compareVersions(const QString& a, const QString& b)
{
    const QStringList left = versionParts(a);
    const QStringList right = versionParts(b);
    for (qsizetype i = 0; i < std::max(left.size(), right.size()); ++i) {
        const QString l = left.value(i, QStringLiteral("0"));
        const QString r = right.value(i, QStringLiteral("0"));
        if (isNumber(l) && isNumber(r)) {
            // Compared as digit strings so that long numbers cannot overflow.
            const QString ln = QString(l).remove(QRegularExpression(QStringLiteral("^0+(?=\\d)")));
            const QString rn = QString(r).remove(QRegularExpression(QStringLiteral("^0+(?=\\d)")));
            if (ln.size() != rn.size())
                return ln.size() < rn.size() ? -1 : 1;
            if (const int c = ln.compare(rn))
                return c < 0 ? -1 : 1;
        } else if (isNumber(l) != isNumber(r)) {
            // A pre-release word ("1.0beta") sorts before the number that would follow.
            return isNumber(l) ? 1 : -1;
        } else if (const int c = l.compare(r, Qt::CaseInsensitive)) {
            return c < 0 ? -1 : 1;
        }
    }
    return 0;
}

std::optional<QList<AppcastItem>> parse(const QByteArray& xml, QString* error)
{
    QXmlStreamReader reader(xml);
    QList<AppcastItem> items;
    bool sawRss = false;
    std::optional<AppcastItem> item;
    const auto sparkle = [](const QXmlStreamAttributes& attributes, const char* name) {
        return attributes.value(sparkleNamespace, QString::fromLatin1(name)).toString().trimmed();
    };
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            const auto name = reader.name();
            const bool inSparkle = reader.namespaceUri() == sparkleNamespace;
            if (name == QLatin1String("rss") && reader.namespaceUri().isEmpty()) {
                sawRss = true;
            } else if (name == QLatin1String("item") && !inSparkle) {
                item = AppcastItem {};
            } else if (!item) {
                continue;
            } else if (name == QLatin1String("title") && !inSparkle) {
                item->title = reader.readElementText().trimmed();
            } else if (name == QLatin1String("version") && inSparkle) {
                item->version = reader.readElementText().trimmed();
            } else if (name == QLatin1String("shortVersionString") && inSparkle) {
                item->shortVersion = reader.readElementText().trimmed();
            } else if (name == QLatin1String("releaseNotesLink") && inSparkle) {
                item->releaseNotesURL = QUrl(reader.readElementText().trimmed());
            } else if (name == QLatin1String("enclosure")) {
                const QXmlStreamAttributes attributes = reader.attributes();
                item->downloadURL = QUrl(attributes.value(QStringLiteral("url")).toString().trimmed());
                if (item->version.isEmpty())
                    item->version = sparkle(attributes, "version");
                if (item->shortVersion.isEmpty())
                    item->shortVersion = sparkle(attributes, "shortVersionString");
            }
        } else if (reader.isEndElement() && reader.name() == QLatin1String("item") && item) {
            if (item->version.isEmpty()) {
                qCWarning(lcApp, "Update feed item \"%s\" has no version; skipped", qUtf8Printable(item->title));
            } else if (item->downloadURL.scheme() != QLatin1String("https") || item->downloadURL.host().isEmpty()) {
                qCWarning(lcApp, "Update feed item %s has no https download; skipped", qUtf8Printable(item->version));
            } else {
                if (item->shortVersion.isEmpty())
                    item->shortVersion = item->version;
                items << *item;
            }
            item.reset();
        }
    }
    if (reader.hasError() || !sawRss) {
        if (error)
            *error = reader.hasError() ? reader.errorString() : QStringLiteral("not an RSS document");
        return std::nullopt;
    }
    return items;
}

std::optional<AppcastItem> newestNewerThan(const QList<AppcastItem>& items, const QString& current)
{
    std::optional<AppcastItem> newest;
    for (const AppcastItem& item : items) {
        if (compareVersions(item.version, current) > 0 && (!newest || compareVersions(item.version, newest->version) > 0))
            newest = item;
    }
    return newest;
}

} // namespace Appcast
