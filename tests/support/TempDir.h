#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

#include <sys/resource.h>

/// While it lives, files this process writes stop at `bytes`, as on a full
/// disk: the write that would pass it fails with EFBIG.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit tight { bytes, m_old.rlim_max };
        EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_handler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old {};
    void (*m_handler)(int) = nullptr;
};

/// A fresh folder per test.
class TempDirTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    /// Writes `bytes` to `name` under the folder, making its folders; its path.
    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        const QString file = path(name);
        QDir().mkpath(QFileInfo(file).absolutePath());
        QFile f(file);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << qPrintable(file);
        f.write(bytes);
        return file;
    }
    /// The JSON array in `name` under the folder; empty when there is none.
    QJsonArray readJsonArray(const QString& name) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(f.readAll()).array() : QJsonArray();
    }
    QTemporaryDir m_dir;
};
