#include "common/QtPlatform.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace kadrel;
using namespace Qt::StringLiterals;

TEST(QtSettingsStore, KeepsSectionsInItsOwnIniFile)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(u"Kadrel.ini"_s), tips = u"Show Tips at Startup"_s;
    {
        QtSettingsStore store(ini);
        EXPECT_EQ(store.value(u"Options"_s, tips, u"1"_s), u"1"_s);
        store.setValue(u"Settings"_s, u"volume"_s, u"37"_s);
        store.setValue(u"Options"_s, tips, u"0"_s);
    }
    QtSettingsStore reopened(ini);
    EXPECT_EQ(reopened.value(u"Settings"_s, u"volume"_s, {}), u"37"_s);
    EXPECT_EQ(reopened.value(u"Options"_s, tips, u"1"_s), u"0"_s);
    QFile file(ini);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.contains("[Settings]") && text.contains("[Options]"));
}
