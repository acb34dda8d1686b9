#include "common/QtPlatform.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace kadrel;

TEST(QtSettingsStore, KeepsSectionsInItsOwnIniFile)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("Kadrel.ini"));
    const QString tips = QStringLiteral("Show Tips at Startup");
    {
        QtSettingsStore store(ini);
        EXPECT_EQ(store.value(QStringLiteral("Options"), tips, QStringLiteral("1")), QStringLiteral("1"));
        store.setValue(QStringLiteral("Settings"), QStringLiteral("volume"), QStringLiteral("37"));
        store.setValue(QStringLiteral("Options"), tips, QStringLiteral("0"));
    }
    QtSettingsStore reopened(ini);
    EXPECT_EQ(reopened.value(QStringLiteral("Settings"), QStringLiteral("volume"), {}), QStringLiteral("37"));
    EXPECT_EQ(reopened.value(QStringLiteral("Options"), tips, QStringLiteral("1")), QStringLiteral("0"));
    QFile file(ini);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.contains("[Settings]") && text.contains("[Options]"));
}
