#pragma once

#include <QString>

#include <optional>

/// What the build was configured with.
struct BuildInfo {
    /// Shown to users, e.g. "0.1.0".
    QString version;
    /// Compared with the versions an update feed offers.
    QString buildNumber;
    /// The update feed as configured; empty for none.
    QString feedUrl;
    /// Installed by a package manager, which brings its updates.
    bool packaged = false;
};

/// What the program knows about its own installation: identifier, build,
/// and where its resources and private libraries are.
/// Filled at build time and resolved against the executable's folder, so the
/// build tree and an install prefix both work.
class AppInfo final {
public:
    AppInfo(std::optional<QString> identifier, BuildInfo build, QString resourcesDir, QString privateLibraryDir);

    /// The running program's.
    static const AppInfo& main();
    /// Replaces the running program's (tests, before first use of the log).
    static void setMain(const AppInfo& info);

    /// "com.larkmoor.Brimwell"; absent for a build without one.
    const std::optional<QString>& identifier() const { return m_identifier; }
    const BuildInfo& build() const { return m_build; }
    QString resourcesDir() const { return m_resourcesDir; }
    QString privateLibraryDir() const { return m_privateLibraryDir; }
    /// Path of resource `name`.`ext`, or empty when it does not exist.
    QString resourcePath(const QString& name, const QString& ext) const;

private:
    std::optional<QString> m_identifier;
    BuildInfo m_build;
    QString m_resourcesDir;
    QString m_privateLibraryDir;
};
