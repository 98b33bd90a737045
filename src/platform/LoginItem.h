#pragma once

#include <QMetaType>
#include <QString>

#include <optional>

/// How the login item stands, with the platform's numbering (logged as is).
enum class LoginItemStatus { notRegistered = 0, enabled = 1, requiresApproval = 2, notFound = 3 };

/// The platform's way of starting this program when the user logs in.
class LoginItem {
public:
    virtual ~LoginItem() = default;
    /// Read afresh on every call.
    virtual LoginItemStatus status() const = 0;
    /// The error's description on failure.
    virtual std::optional<QString> registerItem() = 0;
    virtual std::optional<QString> unregisterItem() = 0;
    /// Where the user approves login items; nothing where none is needed.
    virtual void openSystemSettingsLoginItems() { }
};
