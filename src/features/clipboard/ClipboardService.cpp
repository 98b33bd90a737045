#include "ClipboardService.h"

#include "AppInfo.h"
#include "Clock.h"
#include "JsonFile.h"
#include "LinuxWording.h"
#include "Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPointer>

namespace {
BRIMWELL_LOGGING_CATEGORY(lcClipboard, "brimwell.clipboard", "Clipboard")
} // namespace

namespace {

constexpr auto fileName = "clipboard-history.json";

} // namespace

ClipboardService::ClipboardService(
    SystemClipboard& systemClipboard, std::optional<QString> supportFolder, Scheduler& scheduler, QObject* parent)
    : QObject(parent)
    , m_systemClipboard(systemClipboard)
    , m_scheduler(scheduler)
    , m_checkTask(scheduler)
{
    m_writer.setMaxThreadCount(1);
    if (supportFolder) {
        const QString folder
            = *supportFolder + QLatin1Char('/') + AppInfo::main().identifier().value_or(QStringLiteral("Brimwell"));
        if (QDir().mkpath(folder) && QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
            m_storagePath = folder + QLatin1Char('/') + QLatin1String(fileName);
        else
            qCCritical(lcClipboard, "Unable to prepare clipboard storage: %s",
                qUtf8Printable(QStringLiteral("cannot create %1").arg(folder)));
    }
    m_lastChangeCount = m_systemClipboard.changeCount();
    m_items = loadItems();
    connect(&m_systemClipboard, &SystemClipboard::changed, this, &ClipboardService::scheduleCheck);
}

ClipboardService::~ClipboardService()
{
    m_writer.waitForDone(); // what the user copied is on disk before we go
}

void ClipboardService::start()
{
    if (m_isRunning)
        return;
    m_isRunning = true;
    m_startedAt = m_scheduler.monotonicMs();
    m_lastChangeCount = m_systemClipboard.changeCount();
    refreshAccess();
}

void ClipboardService::stop()
{
    m_isRunning = false;
    m_checkTask.cancel();
    ++m_readGeneration; // a read under way is dropped
}

void ClipboardService::scheduleCheck()
{
    // Changes are looked at on the 0.75 s beat counted from start(), so a
    // burst of copies is one look; without a change nothing wakes up.
    if (!m_isRunning || m_checkTask.isPending())
        return;
    const qint64 interval = pollInterval.count();
    const qint64 elapsed = m_scheduler.monotonicMs() - m_startedAt;
    const qint64 delay = interval - elapsed % interval;
    m_checkTask.start(Scheduler::Duration(delay), [this] { checkForChanges(); });
}

void ClipboardService::checkForChanges()
{
    const int count = m_systemClipboard.changeCount();
    if (count == m_lastChangeCount)
        return;
    m_lastChangeCount = count; // this change is never looked at again
    refreshAccess();
    if (m_isAccessDenied)
        return;
    QPointer<ClipboardService> self(this);
    const quint64 generation = ++m_readGeneration;
    m_systemClipboard.read([self, generation](const SystemClipboard::Contents& contents) {
        if (self && generation == self->m_readGeneration)
            self->take(contents);
    });
}

void ClipboardService::take(const SystemClipboard::Contents& contents)
{
    if (contents.timedOut) {
        qCWarning(lcClipboard, "The clipboard's owner did not answer; the copy is not kept");
        return;
    }
    // Secrets, file copies and our own writes are never kept.
    if (contents.kind != SystemClipboard::Kind::plain || !contents.text || contents.isTooLong)
        return;
    const QString& text = *contents.text;
    if (text.size() > longestText || text.trimmed().isEmpty())
        return;

    const QString normalized = text.normalized(QString::NormalizationForm_C);
    QList<ClipboardItem> history { { QUuid::createUuid(), text, Clock::system().now(), contents.sourceAppName } };
    for (const ClipboardItem& item : std::as_const(m_items)) {
        if (item.text != text && item.text.normalized(QString::NormalizationForm_C) != normalized)
            history.append(item);
    }
    if (history.size() > historyLimit)
        history.resize(historyLimit);
    publish(std::move(history));
}

void ClipboardService::refreshAccess()
{
    // X11 has no setting that keeps a program from reading the clipboard.
    if (m_isAccessDenied) {
        m_isAccessDenied = false;
        Q_EMIT isAccessDeniedChanged();
    }
}

void ClipboardService::copy(const ClipboardItem& item)
{
    if (!m_systemClipboard.writeText(item.text)) {
        qCCritical(lcClipboard, "Unable to write item to the pasteboard");
        return;
    }
    m_lastChangeCount = m_systemClipboard.changeCount();
    QList<ClipboardItem> history { { item.id, item.text, Clock::system().now(), item.sourceAppName } };
    for (const ClipboardItem& other : std::as_const(m_items)) {
        if (other.id != item.id)
            history.append(other);
    }
    publish(std::move(history));
}

void ClipboardService::copy(const QUuid& id)
{
    for (const ClipboardItem& item : std::as_const(m_items)) {
        if (item.id == id)
            return copy(ClipboardItem(item));
    }
}

void ClipboardService::clear()
{
    if (m_items.isEmpty())
        return;
    publish({});
}

void ClipboardService::openPrivacySettings()
{
    qCInfo(lcClipboard, "%s", LinuxWording::noClipboardPrivacySettings);
}

void ClipboardService::publish(QList<ClipboardItem> items)
{
    m_items = std::move(items);
    Q_EMIT itemsChanged();
    saveItems();
}

QList<ClipboardItem> ClipboardService::loadItems()
{
    if (!m_storagePath)
        return {};
    QList<ClipboardItem> items
        = JsonFile::readList<ClipboardItem>(*m_storagePath, lcClipboard, "clipboard history", &ClipboardItem::fromJson);
    if (items.size() > historyLimit)
        items.resize(historyLimit);
    return items;
}

void ClipboardService::saveItems()
{
    if (!m_storagePath)
        return;
    QJsonArray array;
    for (const ClipboardItem& item : std::as_const(m_items))
        array.append(item.toJson());
    m_writer.start([document = QJsonDocument(array), path = *m_storagePath] {
        QString error;
        if (!JsonFile::write(path, document, &error, QJsonDocument::Compact))
            qCCritical(lcClipboard, "Unable to save clipboard history: %s", qUtf8Printable(error));
    });
}
