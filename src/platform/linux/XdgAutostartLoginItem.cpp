#include "XdgAutostartLoginItem.h"

#include "Log.h"
#include "SaveFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace {

// The program of an Exec value: its first word, unquoted as the desktop
// entry format quotes it.
QString execProgram(const QString& exec)
{
    const QString value = exec.trimmed();
    if (!value.startsWith(QLatin1Char('"')))
        return value.section(QLatin1Char(' '), 0, 0);
    QString program;
    for (qsizetype i = 1; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char('"'))
            break;
        if (c == QLatin1Char('\\') && i + 1 < value.size())
            program += value.at(++i);
        else
            program += c;
    }
    return program;
}

QString quotedExec(const QString& program)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    if (std::none_of(program.begin(), program.end(), [](QChar c) { return reserved.contains(c); }))
        return program;
    QString quoted = QStringLiteral("\"");
    for (const QChar c : program) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    // The desktop entry's own string escaping doubles every backslash again.
    return quoted.replace(QLatin1String("\\"), QLatin1String("\\\\")) + QLatin1Char('"');
}

} // namespace

XdgAutostartLoginItem::XdgAutostartLoginItem(QString folder, QString program, QString applicationId)
    : m_folder(std::move(folder))
    , m_program(std::move(program))
    , m_entryPath(m_folder + QLatin1Char('/') + applicationId + QStringLiteral(".desktop"))
{
}

QString XdgAutostartLoginItem::standardFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart");
}

LoginItemStatus XdgAutostartLoginItem::statusOfEntry(const QByteArray& entry, const QString& program)
{
    bool inEntry = false;
    QString exec;
    bool hidden = false;
    for (const QByteArray& rawLine : entry.split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inEntry)
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        if (key == QLatin1String("Exec"))
            exec = QString(value).replace(QLatin1String("\\\\"), QLatin1String("\\"));
        else if (key == QLatin1String("Hidden"))
            hidden = value == QLatin1String("true");
    }
    // Hidden=true is how a desktop says the user removed the entry.
    if (hidden || exec.isEmpty())
        return LoginItemStatus::notRegistered;
    const QString named = execProgram(exec);
    if (QFileInfo(named).canonicalFilePath() == QFileInfo(program).canonicalFilePath() && QFileInfo::exists(named))
        return LoginItemStatus::enabled;
    if (!QFileInfo(named).isExecutable())
        return LoginItemStatus::notFound;
    return LoginItemStatus::notRegistered; // another program's entry under our name
}

QByteArray XdgAutostartLoginItem::entryText(const QString& program)
{
    return QByteArrayLiteral("[Desktop Entry]\n"
                             "Type=Application\n"
                             "Name=Brimwell\n"
                             "Comment=Starts Brimwell when you log in\n"
                             "Exec=")
        + quotedExec(program).toUtf8()
        + QByteArrayLiteral("\n"
                            "Icon=com.larkmoor.Brimwell\n"
                            "Terminal=false\n"
                            "NoDisplay=true\n"
                            "X-GNOME-Autostart-enabled=true\n");
}

LoginItemStatus XdgAutostartLoginItem::status() const
{
    QFile file(m_entryPath);
    if (!file.exists())
        return LoginItemStatus::notRegistered;
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(
            lcApp, "Unable to read the autostart entry %s: %s", qUtf8Printable(m_entryPath), qUtf8Printable(file.errorString()));
        return LoginItemStatus::notRegistered;
    }
    return statusOfEntry(file.read(64 * 1024), m_program);
}

std::optional<QString> XdgAutostartLoginItem::registerItem()
{
    if (!QDir().mkpath(m_folder))
        return QStringLiteral("The folder %1 can’t be created.").arg(m_folder);
    QSaveFile file(m_entryPath);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("%1 can’t be written: %2").arg(m_entryPath, file.errorString());
    QString error;
    if (!SaveFile::writeAndCommit(file, entryText(m_program), &error))
        return QStringLiteral("%1 can’t be written: %2").arg(m_entryPath, error);
    return std::nullopt;
}

std::optional<QString> XdgAutostartLoginItem::unregisterItem()
{
    QFile file(m_entryPath);
    if (file.exists() && !file.remove())
        return QStringLiteral("%1 can’t be removed: %2").arg(m_entryPath, file.errorString());
    return std::nullopt;
}
