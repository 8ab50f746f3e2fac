#pragma once

#include "platform/Settings.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace shelltest {

// A settings store of its own for each test; the store made without a file
// name points there too.
class StoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        platform::Settings::SetFileForTesting(file());
    }
    void TearDown() override { platform::Settings::SetFileForTesting(QString()); }

    QString file() const { return dir.filePath(QStringLiteral("store.ini")); }

    QTemporaryDir dir;
    platform::Settings store{dir.filePath(QStringLiteral("store.ini"))};
};

} // namespace shelltest
