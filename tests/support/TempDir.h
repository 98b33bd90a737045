#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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
