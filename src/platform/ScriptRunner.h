#pragma once

#include <QString>
#include <QVariant>

#include <optional>

/// Runs a player's script text synchronously and hands back its answer: a
/// string (QString), a list (QVariantList) or raw data (QByteArray).
class ScriptRunner {
public:
    virtual ~ScriptRunner() = default;
    /// The answer, or absent when the script failed; `error` then describes why
    /// (empty when the script could not even be made).
    virtual std::optional<QVariant> run(const QString& source, QString* error) = 0;
};
