#pragma once

#include "SystemClipboard.h"

#include <QList>
#include <QUrl>

/// A clipboard held in memory: `copy()` stands for another program's copy;
/// reads answer on the next turn of the event loop, as the real one does.
class FakeClipboard final : public SystemClipboard {
public:
    int changeCount() const override { return m_changeCount; }
    void read(ReadHandler done) override
    {
        ++reads;
        Contents answer = contents;
        // As the real one: the text of anything but a plain copy is never read.
        if (answer.kind != Kind::plain)
            answer.text.reset();
        pending.append([done, answer] { done(answer); });
    }
    bool writeText(const QString& text) override
    {
        if (failWrites)
            return false;
        change({ Kind::own, text, false, std::nullopt, false });
        return true;
    }
    bool writeFiles(const QList<QUrl>& files) override
    {
        if (failWrites)
            return false;
        writtenFiles = files;
        change({ Kind::files, std::nullopt, false, std::nullopt, false });
        return true;
    }
    /// Another program copies `text`.
    void copy(const QString& text, Kind kind = Kind::plain, std::optional<QString> source = std::nullopt)
    {
        change({ kind, text, false, std::move(source), false });
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
    QList<QUrl> writtenFiles;
    int reads = 0;
    bool failWrites = false;

private:
    void change(Contents next)
    {
        contents = std::move(next);
        ++m_changeCount;
        Q_EMIT changed();
    }
    int m_changeCount = 0;
};
