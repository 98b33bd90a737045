#pragma once

#include <QString>
#include <QVariantMap>

#include <optional>

/// What the program knows about its own installation: identifier, version,
/// info dictionary and where its resources and private libraries are.
/// Filled at build time and resolved against the executable's folder, so the
/// build tree and an install prefix both work.
class AppInfo final {
public:
    AppInfo(std::optional<QString> identifier, QVariantMap info, QString resourcesDir, QString privateLibraryDir);

    /// The running program's.
    static const AppInfo& main();
    /// Replaces the running program's (tests, before first use of the log).
    static void setMain(const AppInfo& info);

    /// "com.larkmoor.Brimwell"; absent for a build without one.
    const std::optional<QString>& identifier() const { return m_identifier; }
    /// Keys "CFBundleShortVersionString", "CFBundleVersion" and optionally
    /// "SUFeedURL" and "BrimwellPackaged" (true: the package manager updates it).
    const QVariantMap& infoDictionary() const { return m_info; }
    QString shortVersion() const { return m_info.value(QStringLiteral("CFBundleShortVersionString")).toString(); }
    QString buildVersion() const { return m_info.value(QStringLiteral("CFBundleVersion")).toString(); }
    QString resourcesDir() const { return m_resourcesDir; }
    QString privateLibraryDir() const { return m_privateLibraryDir; }
    /// Path of resource `name`.`ext`, or empty when it does not exist.
    QString resourcePath(const QString& name, const QString& ext) const;

private:
    std::optional<QString> m_identifier;
    QVariantMap m_info;
    QString m_resourcesDir;
    QString m_privateLibraryDir;
};
