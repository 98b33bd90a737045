#pragma once

#include "SystemClipboard.h"

/// A clipboard held in memory: `copy()` stands for another program's copy;
/// reads answer on the next turn of the event loop, as the real one does.
class FakeClipboard final : public SystemClipboard {
public:
    int changeCount() const override { return m_changeCount; }
    void read(WantsText wantsText, ReadHandler done) override
    {
        ++reads;
        Contents answer = contents;
        if (!wantsText(answer))
            answer.text.reset();
        textsHandedOut += answer.text.has_value();
        pending.append([done, answer] { done(answer); });
    }
    bool writeText(const QString& text, const QString& marker) override
    {
        if (failWrites)
            return false;
        contents = { { QStringLiteral("UTF8_STRING"), marker }, text, false, {}, std::nullopt, false };
        ++m_changeCount;
        Q_EMIT changed();
        return true;
    }
    bool writeFiles(const QList<QUrl>& files) override
    {
        if (failWrites)
            return false;
        QByteArray list;
        for (const QUrl& file : files)
            list += file.toEncoded() + "\r\n";
        contents = { { QStringLiteral("text/uri-list") }, std::nullopt, false, { { QStringLiteral("text/uri-list"), list } },
            std::nullopt, false };
        ++m_changeCount;
        Q_EMIT changed();
        return true;
    }
    /// Another program copies `text` with these extra types and markers.
    void copy(const QString& text, QStringList types = { QStringLiteral("UTF8_STRING") }, QMap<QString, QByteArray> markers = {},
        std::optional<QString> source = std::nullopt)
    {
        contents = { std::move(types), text, false, std::move(markers), std::move(source), false };
        ++m_changeCount;
        Q_EMIT changed();
    }
    /// Answers the reads made so far.
    void answer()
    {
        const auto answers = std::exchange(pending, {});
        for (const auto& a : answers)
            a();
    }

    Contents contents;
    QList<std::function<void()>> pending;
    int reads = 0;
    int textsHandedOut = 0;
    bool failWrites = false;

private:
    int m_changeCount = 0;
};
