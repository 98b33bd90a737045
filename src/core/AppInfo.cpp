#include "AppInfo.h"

#include "BuildConfig.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

QString executableDir()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
}

AppInfo makeMainInfo()
{
    const BuildInfo build { QStringLiteral(BRIMWELL_VERSION), QStringLiteral(BRIMWELL_BUILD_NUMBER),
        QStringLiteral(BRIMWELL_FEED_URL), bool(BRIMWELL_PACKAGED) };

    // <prefix>/bin/brimwell → <prefix>/share/brimwell and <prefix>/lib/brimwell;
    // the build tree uses the same shape. BRIMWELL_PREFIX overrides (tests, tools).
    QString prefix = qEnvironmentVariable("BRIMWELL_PREFIX");
    if (prefix.isEmpty())
        prefix = QDir(executableDir() + QStringLiteral("/..")).absolutePath();
    return AppInfo(QStringLiteral(BRIMWELL_APP_ID), build,
        QDir::cleanPath(prefix + QStringLiteral("/" BRIMWELL_RESOURCES_SUBDIR)),
        QDir::cleanPath(prefix + QStringLiteral("/" BRIMWELL_PRIVATE_LIBRARY_SUBDIR)));
}

std::optional<AppInfo>& mainSlot()
{
    static std::optional<AppInfo> info;
    return info;
}

} // namespace

AppInfo::AppInfo(std::optional<QString> identifier, BuildInfo build, QString resourcesDir, QString privateLibraryDir)
    : m_identifier(std::move(identifier))
    , m_build(std::move(build))
    , m_resourcesDir(std::move(resourcesDir))
    , m_privateLibraryDir(std::move(privateLibraryDir))
{
}

const AppInfo& AppInfo::main()
{
    auto& slot = mainSlot();
    if (!slot)
        slot = makeMainInfo();
    return *slot;
}

void AppInfo::setMain(const AppInfo& info)
{
    mainSlot() = info;
}

QString AppInfo::resourcePath(const QString& name, const QString& ext) const
{
    if (m_resourcesDir.isEmpty())
        return {};
    const QString path = m_resourcesDir + QLatin1Char('/') + name + QLatin1Char('.') + ext;
    return QFileInfo::exists(path) ? path : QString();
}
