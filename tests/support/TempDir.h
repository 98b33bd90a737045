#pragma once

#include <QTemporaryDir>

#include <gtest/gtest.h>

/// A fresh folder per test.
class TempDirTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};
