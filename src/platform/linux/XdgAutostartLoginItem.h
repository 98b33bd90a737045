#pragma once

#include "LoginItem.h"

#include <QString>

/// The login item as an XDG autostart entry, <folder>/<application id>.desktop,
/// whose Exec is the absolute path of the running program.
class XdgAutostartLoginItem final : public LoginItem {
public:
    /// `folder` is normally $XDG_CONFIG_HOME/autostart; `program` the running executable.
    XdgAutostartLoginItem(QString folder, QString program, QString applicationId);
    /// $XDG_CONFIG_HOME/autostart (default ~/.config/autostart).
    static QString standardFolder();

    LoginItemStatus status() const override;
    std::optional<QString> registerItem() override;
    std::optional<QString> unregisterItem() override;

    QString entryPath() const { return m_entryPath; }
    /// The status an entry's text gives for `program`: its Exec names
    /// `program` → enabled; names a program that does not exist → not
    /// found; Hidden=true, another existing program, or no Exec → not registered.
    static LoginItemStatus statusOfEntry(const QByteArray& entry, const QString& program);
    /// The entry written for `program`.
    static QByteArray entryText(const QString& program);

private:
    QString m_folder;
    QString m_program;
    QString m_entryPath;
};
