#pragma once

#include "ScriptRunner.h"

#include <QHash>
#include <QStringList>

/// Answers scripts from a table; a script without an answer fails.
class FakeScriptRunner final : public ScriptRunner {
public:
    QHash<QString, QVariant> answers;
    QStringList ran;

    std::optional<QVariant> run(const QString& source, QString* error) override
    {
        ran << source;
        if (!answers.contains(source)) {
            if (error)
                *error = QStringLiteral("no answer for script");
            return std::nullopt;
        }
        return answers.value(source);
    }
};
