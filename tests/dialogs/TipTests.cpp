#include "dialogs/TipFile.h"
#include "dialogs/frmTip.h"
#include "support/FakePlatform.h"
#include "dialogs/DialogTestSupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kadrel {
namespace {

using test::runDeferredDeletes;
using test::writeFile;

const QString kSettingKey = QStringLiteral("Options/Show Tips at Startup");

class TipWindowTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        delete tip;
        runDeferredDeletes();
    }

    QString tipFile() const { return folder.filePath(kTipFileName); }

    TipSetup setup(std::uint32_t seed = 7)
    {
        return TipSetup{.loadMainWindow = [this] { return loadMain(); },
                        .settings = fake.settings,
                        .screen = fake.screen,
                        .programFolder = folder.path(),
                        .timerSeed = [seed] { return seed; }};
    }

    QWidget* loadMain()
    {
        ++mainLoads;
        if (!mainWindow)
            mainWindow = std::make_unique<QWidget>();
        return mainWindow.get();
    }

    // Starts the program with the given tip file content.
    void startWithTips(const QByteArray& content, std::uint32_t seed = 7)
    {
        writeFile(tipFile(), content);
        tip = startThroughTip(setup(seed));
        ASSERT_NE(tip, nullptr);
    }

    std::vector<int> draws(int count)
    {
        std::vector<int> seen;
        for (int i = 0; i < count; ++i) {
            tip->cmdNextTip->click();
            seen.push_back(tip->currentTip());
        }
        return seen;
    }

    test::FakePlatform fake;
    QTemporaryDir folder;
    std::unique_ptr<QWidget> mainWindow;
    int mainLoads = 0;
    QPointer<frmTip> tip;
};

TEST(TipFile, EveryLineIsOneTipWhateverItsEnd)
{
    struct Case {
        const char* name;
        QByteArray bytes;
        QStringList tips;
    };
    const Case cases[] = {
        {"LF", "one\ntwo\n", {"one", "two"}},
        {"CR LF", "one\r\ntwo\r\n", {"one", "two"}},
        {"CR", "one\rtwo\r", {"one", "two"}},
        {"empty middle line", "one\n\nthree\n", {"one", "", "three"}},
        {"last line without end", "one\r\ntwo", {"one", "two"}},
        {"CR then CR LF", "a\r\r\nb", {"a", "", "b"}},
        {"only an end", "\r\n", {""}},
        {"empty file", "", {}},
        {"UTF-8 with byte-order mark", "\xEF\xBB\xBF" "Caf\xC3\xA9 \xE2\x86\x92 frame", {"Café → frame"}},
    };
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("tips.txt"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(path, c.bytes);
        const Result<QStringList> tips = readTipFile(path);
        ASSERT_TRUE(tips.ok());
        EXPECT_EQ(tips.value(), c.tips);
    }
}

TEST(TipFile, MissingOrNotPlainFilesFail)
{
    QTemporaryDir folder;
    EXPECT_FALSE(readTipFile(folder.filePath(QStringLiteral("none.txt"))).ok());
    const QString pipe = folder.filePath(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);
    const Result<QStringList> tips = readTipFile(pipe);  // must not wait for a writer
    ASSERT_FALSE(tips.ok());
    EXPECT_EQ(tips.status().number(), kNotARegularFile);
}

TEST(TipFile, IndexCoversOneToCountEvenly)
{
    const float belowOne = std::nextafter(1.0f, 0.0f);
    EXPECT_EQ(tipIndexFor(0.0f, 1), 1);
    EXPECT_EQ(tipIndexFor(belowOne, 1), 1);
    EXPECT_EQ(tipIndexFor(0.0f, 5), 1);
    EXPECT_EQ(tipIndexFor(0.2f, 5), 2);
    EXPECT_EQ(tipIndexFor(belowOne, 5), 5);
    EXPECT_EQ(tipIndexFor(0.5f, 2), 2);
    EXPECT_EQ(tipIndexFor(std::nextafter(0.5f, 0.0f), 2), 1);
    EXPECT_EQ(tipIndexFor(belowOne, 16777216), 16777216);
}

TEST_F(TipWindowTest, StartUpShowsTheMainWindowDisabledUnderATip)
{
    startWithTips("first\nsecond\nthird\n");
    EXPECT_EQ(mainLoads, 1);
    EXPECT_TRUE(mainWindow->isVisible());
    EXPECT_FALSE(mainWindow->isEnabled());
    EXPECT_TRUE(tip->isVisible());
    EXPECT_EQ(tip->windowTitle(), QStringLiteral("Tip of the Day"));
    EXPECT_TRUE(tip->chkLoadTipsAtStartup->isChecked());
    EXPECT_EQ(tip->tipList(), QStringList({"first", "second", "third"}));
    EXPECT_EQ(tip->lblTipText->text(), tip->tipList().at(tip->currentTip() - 1));
    EXPECT_EQ(fake.settings.writes, QStringList{kSettingKey + "=1"});
}

TEST_F(TipWindowTest, StoredSettingDecidesWhetherATipShows)
{
    struct Case {
        const char* stored;
        bool shown;
    };
    const Case cases[] = {{"1", true}, {"0", false}, {"00", false}, {"2", true},
                          {"abc", true}, {"", true}, {"0.5", true}};
    writeFile(tipFile(), "only tip\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        fake.settings.values[kSettingKey] = QString::fromLatin1(c.stored);
        fake.settings.writes.clear();
        tip = startThroughTip(setup());
        EXPECT_EQ(tip != nullptr, c.shown);
        EXPECT_TRUE(mainWindow->isVisible());
        EXPECT_EQ(mainWindow->isEnabled(), !c.shown);
        // Showing a tip checks the box, which writes "1"; tips off writes nothing.
        EXPECT_EQ(fake.settings.writes,
                  c.shown ? QStringList{kSettingKey + "=1"} : QStringList{});
        delete tip;
        runDeferredDeletes();
        EXPECT_TRUE(mainWindow->isEnabled());
    }
}

TEST_F(TipWindowTest, CheckBoxWritesTheSettingAtOnce)
{
    startWithTips("a tip\n");
    tip->chkLoadTipsAtStartup->click();
    EXPECT_EQ(fake.settings.writes.last(), kSettingKey + "=0");
    tip->chkLoadTipsAtStartup->click();
    EXPECT_EQ(fake.settings.writes.last(), kSettingKey + "=1");
    EXPECT_EQ(fake.settings.writes.size(), 3);
}

TEST_F(TipWindowTest, HelpMenuWritesOneFirstAndOpensChecked)
{
    writeFile(tipFile(), "a tip\n");
    fake.settings.values[kSettingKey] = QStringLiteral("0");
    ASSERT_EQ(startThroughTip(setup()), nullptr);
    ASSERT_TRUE(mainWindow->isEnabled());

    tip = openTipOfTheDay(mainWindow.get(), setup());
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(fake.settings.writes, QStringList({kSettingKey + "=1", kSettingKey + "=1"}));
    EXPECT_TRUE(tip->chkLoadTipsAtStartup->isChecked());
    EXPECT_FALSE(mainWindow->isEnabled());
    EXPECT_EQ(mainLoads, 2);  // the same main window, not a second one
    EXPECT_EQ(tip->lblTipText->text(), QStringLiteral("a tip"));
}

TEST_F(TipWindowTest, MissingOrUnreadableFileShowsTheMissingFileText)
{
    SCOPED_TRACE("missing");
    tip = startThroughTip(setup());
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->lblTipText->text(), kMissingTipsText);
    tip->cmdNextTip->click();
    EXPECT_EQ(tip->lblTipText->text(), kMissingTipsText);
    delete tip;

    SCOPED_TRACE("a pipe in its place");
    ASSERT_EQ(::mkfifo(QFile::encodeName(tipFile()).constData(), 0644), 0);
    tip = startThroughTip(setup());
    EXPECT_EQ(tip->lblTipText->text(), kMissingTipsText);
    EXPECT_TRUE(tip->tipList().isEmpty());
}

TEST_F(TipWindowTest, FileWithoutReadPermissionShowsTheMissingFileText)
{
    writeFile(tipFile(), "secret tip\n");
    ASSERT_EQ(::chmod(QFile::encodeName(tipFile()).constData(), 0), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(folder.path()).constData(), 0755), 0);
    // Root reads whatever the permissions; as another user's files it cannot.
    const uid_t before = ::setfsuid(::geteuid() == 0 ? 65534 : ::geteuid());
    tip = startThroughTip(setup());
    ::setfsuid(before);
    EXPECT_EQ(tip->lblTipText->text(), kMissingTipsText);
}

TEST_F(TipWindowTest, EmptyFileLeavesTheLabelEmpty)
{
    startWithTips("");
    EXPECT_TRUE(tip->lblTipText->text().isEmpty());
    tip->cmdNextTip->click();
    EXPECT_TRUE(tip->lblTipText->text().isEmpty());
}

TEST_F(TipWindowTest, LoadTipsRefusesEmptyPathsAndFolders)
{
    startWithTips("a tip\n");
    EXPECT_FALSE(tip->LoadTips(QString()));
    EXPECT_FALSE(tip->LoadTips(folder.path()));
    EXPECT_FALSE(tip->LoadTips(folder.filePath(QStringLiteral("none.txt"))));
    EXPECT_EQ(tip->tipList().size(), 1);
    EXPECT_TRUE(tip->LoadTips(tipFile()));
    EXPECT_EQ(tip->tipList(), QStringList({"a tip", "a tip"}));  // appended
}

TEST_F(TipWindowTest, NextTipDrawsAtRandomFromTheWholeList)
{
    startWithTips("one\n\nthree\nfour\nfive");
    const std::vector<int> seen = draws(200);
    EXPECT_EQ(std::set<int>(seen.begin(), seen.end()), (std::set<int>{1, 2, 3, 4, 5}));
    // Drawing the empty middle line shows an empty label.
    while (tip->currentTip() != 2)
        tip->cmdNextTip->click();
    EXPECT_TRUE(tip->lblTipText->text().isEmpty());
}

TEST_F(TipWindowTest, OneTipIsAlwaysTheTipOnShow)
{
    startWithTips("the only tip");
    for (int index : draws(20))
        EXPECT_EQ(index, 1);
    EXPECT_EQ(tip->lblTipText->text(), QStringLiteral("the only tip"));
}

TEST_F(TipWindowTest, TimerSeedFixesTheDraws)
{
    const QByteArray many = "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n";
    startWithTips(many, 42);
    const std::vector<int> first = draws(30);
    delete tip;
    startWithTips(many, 42);
    EXPECT_EQ(draws(30), first);
    delete tip;
    startWithTips(many, 43);
    EXPECT_NE(draws(30), first);
}

TEST_F(TipWindowTest, EveryWayOfClosingEnablesTheMainWindow)
{
    const std::pair<const char*, std::function<void(frmTip*)>> ways[] = {
        {"OK", [](frmTip* w) { w->cmdOK->click(); }},
        {"Enter", [](frmTip* w) { QTest::keyClick(w, Qt::Key_Return); }},
        {"Esc", [](frmTip* w) { QTest::keyClick(w, Qt::Key_Escape); }},
        {"close box", [](frmTip* w) { w->close(); }},
        {"deleted", [](frmTip* w) { delete w; }},
    };
    for (const auto& [name, closeIt] : ways) {
        SCOPED_TRACE(name);
        startWithTips("a tip\n");
        ASSERT_FALSE(mainWindow->isEnabled());
        closeIt(tip);
        runDeferredDeletes();
        EXPECT_TRUE(tip.isNull());
        EXPECT_TRUE(mainWindow->isEnabled());
    }
}

}  // namespace
}  // namespace kadrel
