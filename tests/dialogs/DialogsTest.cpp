// The dialogs: the tip of the day and the start-up through it, media information, About and
// the output folder chooser; every way of closing each gives the main window back.

#include "common/Twips.h"
#include "dialogs/HomePage.h"
#include "dialogs/MediaFacts.h"
#include "dialogs/TipFile.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmTip.h"
#include "dialogs/frmdir.h"
#include "dialogs/frminfo.h"
#include "support/Messages.h"
#include "support/SessionFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>

namespace kadrel {
namespace {

using test::takeMessages;
const QString kSetting = kTipsSection + QLatin1Char('/') + kTipsKey;
constexpr std::int64_t kGiB = std::int64_t{1} << 30;

// The platform's recorders, a plain window standing in for the main window, a temporary folder.
class DialogTest : public test::SessionFixture {
protected:
    DialogTest() { owner.setGeometry(100, 100, 600, 400); }
    QString write(const QString& name, const QByteArray& bytes)
    {
        QFile file(folder.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        return file.fileName();
    }
    TipSetup tipSetup()
    {
        return TipSetup{.loadMainWindow = [this]() -> QWidget* { ++mainLoads; return &owner; },
                        .settings = fake.settings,
                        .screen = fake.screen,
                        .programFolder = folder.path()};
    }

    QTemporaryDir folder;
    QWidget owner;  // the main window
    int mainLoads = 0;
};

TEST_F(DialogTest, EveryWayOfClosingEachDialogEnablesTheMainWindow)
{
    QLineEdit txtout("/before");
    using Close = std::function<void(QWidget*)>;
    const auto key = [](Qt::Key k) -> Close { return [k](QWidget* w) { QTest::keyClick(w, k); }; };
    // A click at a point of the window, taken by whatever lies there.
    const auto clickAt = [](QPoint at) -> Close {
        return [at](QWidget* w) {
            QWidget* target = w->childAt(at) ? w->childAt(at) : w;
            QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(w, at));
        };
    };
    using Ways = std::vector<std::pair<const char*, Close>>;
    const std::tuple<const char*, std::function<QWidget*()>, Ways> dialogs[] = {
        {"tip", [&] { return startThroughTip(tipSetup()); },
         {{"OK", [](QWidget* w) { static_cast<frmTip*>(w)->cmdOK->click(); }},
          {"Enter", key(Qt::Key_Return)}}},
        {"info", [&] { return frminfo::open(&owner, fake.screen, QString(), 1); },
         {{"OK", [](QWidget* w) { static_cast<frminfo*>(w)->cmdOK->click(); }},
          {"Enter", key(Qt::Key_Return)}}},
        {"about", [&] { return frmAbout::open(&owner, fake.shell, fake.messageBox, fake.screen); },
         {{"banner", clickAt({100, 30})}, {"disclaimer", clickAt({30, 160})},
          {"outline", clickAt({0, 0})}, {"grey line", clickAt({20, 136})}}},
        {"frmdir", [&] { return frmdir::open(&owner, fake.platform(), &txtout); },
         {{"Cancel", [](QWidget* w) { static_cast<frmdir*>(w)->Command2->click(); }}}},
    };
    const std::pair<const char*, Close> anyDialog[] = {
        {"Esc", key(Qt::Key_Escape)},
        {"close box", [](QWidget* w) { w->close(); }},
        {"deleted", [](QWidget* w) { delete w; }},
    };
    for (auto [dialog, open, ways] : dialogs) {
        ways.insert(ways.end(), std::begin(anyDialog), std::end(anyDialog));
        for (const auto& [way, close] : ways) {
            SCOPED_TRACE(std::string(dialog) + ", " + way);
            QPointer<QWidget> window = open();
            ASSERT_TRUE(window);
            ASSERT_FALSE(owner.isEnabled());
            close(window);
            flushDeletes();
            EXPECT_TRUE(window.isNull() && owner.isEnabled());
        }
    }
    EXPECT_EQ(txtout.text(), "/before");  // only the chooser's OK writes it
    EXPECT_TRUE(fake.shell.opened.isEmpty());  // only the link opens the home page
}

// One tip a line whatever ends it, or the missing-file text when there is no file to read.
TEST_F(DialogTest, TipFileGivesOneTipALineOrTheMissingFileText)
{
    ASSERT_EQ(::chmod(QFile::encodeName(folder.path()).constData(), 0755), 0);
    const std::tuple<QString, QByteArray, QStringList> cases[] = {
        {"LF, CR LF, CR, an empty line, the last without end", "one\ntwo\r\n\r\nthree\rfour",
         {"one", "two", "", "three", "four"}},
        {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF" "Caf\xC3\xA9", {"Caf\u00E9"}},
        {"empty", "", {}},
        {"missing", {}, {}},
        {"unreadable", "one\n", {}},
    };
    for (const auto& [name, bytes, tips] : cases) {
        SCOPED_TRACE(name.toStdString());
        const QString path = folder.filePath(kTipFileName);
        QFile::remove(path);
        if (name != "missing")
            write(kTipFileName, bytes);
        const bool unreadable = name == "unreadable";
        if (unreadable)
            QFile::setPermissions(path, {});
        // Root reads whatever the permissions; as another user it cannot.
        const uid_t before = ::setfsuid(unreadable && ::geteuid() == 0 ? 65534 : ::geteuid());
        std::unique_ptr<frmTip> tip(startThroughTip(tipSetup()));
        ::setfsuid(before);
        EXPECT_EQ(tip->tipList(), tips);
        tip->cmdNextTip->click();
        EXPECT_EQ(tip->lblTipText->text(), name == "missing" || unreadable
                                               ? kMissingTipsText
                                               : tips.value(tip->currentTip() - 1));
    }
    // The random tip covers 1 to the count evenly.
    EXPECT_EQ(tipIndexFor(0.0f, 5), 1);
    EXPECT_EQ(tipIndexFor(std::nextafter(1.0f, 0.0f), 5), 5);
    EXPECT_EQ(tipIndexFor(std::nextafter(1.0f, 0.0f), 16777216), 16777216);
}

// The main window is loaded, shown and disabled first; the tip window then follows the stored
// setting, a whole number or else 1. The Help menu writes "1" before it opens the window.
TEST_F(DialogTest, StartUpAndTheHelpMenuGoThroughTheTipWindowAsTheSettingSays)
{
    const std::pair<const char*, bool> cases[] = {
        {nullptr, true}, {"1", true}, {"abc", true}, {"0.5", true}, {"2", true}, {"0", false}};
    for (const auto& [stored, shown] : cases) {
        SCOPED_TRACE(stored ? stored : "none");
        fake.settings.values.clear();
        if (stored)
            fake.settings.values[kSetting] = QString::fromLatin1(stored);
        fake.settings.writes.clear();
        owner.hide();
        std::unique_ptr<frmTip> tip(startThroughTip(tipSetup()));
        EXPECT_EQ(tip != nullptr, shown);
        EXPECT_TRUE(owner.isVisible());
        EXPECT_EQ(owner.isEnabled(), !shown);
        // Showing a tip checks the box, which writes "1"; tips off write nothing.
        EXPECT_EQ(fake.settings.writes, shown ? QStringList{kSetting + "=1"} : QStringList());
    }
    EXPECT_EQ(mainLoads, 6);

    std::unique_ptr<frmTip> tip(openTipOfTheDay(&owner, tipSetup()));
    tip->chkLoadTipsAtStartup->click();
    tip->chkLoadTipsAtStartup->click();  // each click writes at once
    EXPECT_EQ(fake.settings.writes,
              QStringList({kSetting + "=1", kSetting + "=1", kSetting + "=0", kSetting + "=1"}));
    EXPECT_TRUE(tip->chkLoadTipsAtStartup->isChecked());
    EXPECT_FALSE(owner.isEnabled());
}

TEST_F(DialogTest, InfoShowsThePathTheLengthAndTheSizeOnDisk)
{
    // 3 GiB long and nothing written: all of it a hole where the file system allows.
    const QString sparse = write("sparse.avi", {});
    ASSERT_TRUE(QFile::resize(sparse, 3 * kGiB + 5));
    struct stat facts {};
    ASSERT_EQ(::stat(QFile::encodeName(sparse).constData(), &facts), 0);
    const std::int64_t allocated = std::min<std::int64_t>(facts.st_blocks * 512, 3 * kGiB + 5);

    const std::tuple<QString, double, QString, QString> cases[] = {
        {write("clip.avi", QByteArray(1234, 'x')), 90.5, "90.5 Sec.", "1234 Bytes"},
        {sparse, 12, "12 Sec.", QString::number(allocated) + " Bytes"},
        {folder.filePath("gone.avi"), 3.25, "3.25 Sec.", "-1 Bytes"},
    };
    for (const auto& [path, seconds, length, size] : cases) {
        SCOPED_TRACE(length.toStdString());
        frminfo info(&owner, fake.screen, path, seconds, QLocale::c());
        EXPECT_EQ(info.txtfile->text(), path);
        EXPECT_EQ(info.lbllength->text(), length);
        EXPECT_EQ(info.lblsize->text(), size);
    }
    // Sizes past 4 GiB keep all their bits.
    EXPECT_EQ(sizeOnDisk(5 * kGiB + 7, (5 * kGiB + 4096) / 512), 5 * kGiB + 7);
    EXPECT_EQ(sizeText(5 * kGiB + 7), QStringLiteral("5368709127 Bytes"));
}

// At any twips per pixel the link shows its whole text and runs left 120 twips a step until
// wholly out, then comes in again whole; a click opens the home page before the box closes.
TEST_F(DialogTest, AboutMarqueeWrapsAroundAndTheLinkOpensTheHomePageBeforeClosing)
{
    for (const double tpp : {12.0, 24.0, 15.0}) {
        SCOPED_TRACE(tpp);
        fake.screen.tpp = {tpp, tpp};
        QPointer<frmAbout> about =
            frmAbout::open(&owner, fake.shell, fake.messageBox, fake.screen);
        const QLabel* link = about->Label3;
        EXPECT_GE(link->width(), link->fontMetrics().horizontalAdvance(link->text()));
        EXPECT_GE(link->height(), link->fontMetrics().height());
        const int start = link->x();
        EXPECT_LE(start + link->width(), about->width());
        int last = start;
        for (about->Timer1_Timer(); link->x() < last; about->Timer1_Timer()) {
            EXPECT_EQ(last - link->x(), px(120, tpp));
            last = link->x();
        }
        EXPECT_LE(last + link->width(), 1);
        EXPECT_EQ(link->x(), start);
        about->unload();
        flushDeletes();
    }

    struct WatchingShell final : ShellService {
        explicit WatchingShell(QWidget* main) : main(main) {}
        Status open(const QString& address) override
        {
            opened << address + (main->isEnabled() ? "" : " (box up)");
            return Status::failure(3001, "No program");
        }
        QWidget* main;
        QStringList opened;
    } shell(&owner);
    QPointer<frmAbout> about = frmAbout::open(&owner, shell, fake.messageBox, fake.screen);
    EXPECT_EQ(about->Label3->x(), 200);  // 3000 twips
    QTest::mouseClick(about->Label3, Qt::LeftButton);
    EXPECT_EQ(shell.opened, QStringList{kHomePage + " (box up)"});
    flushDeletes();
    EXPECT_TRUE(about.isNull() && owner.isEnabled());
    EXPECT_EQ(fake.messageBox.messages.size(), 1u);  // its text is CommandsTest's
}

// A double click opens a folder, a single click only highlights it, OK writes it; a volume
// that cannot be listed is reported and the drive steps back.
TEST_F(DialogTest, ChooserDoubleClickOpensOkWritesTheFolderAndAnUnlistedVolumeStepsBack)
{
    const QString root = QDir(folder.path()).canonicalPath(), previous = QDir::currentPath();
    for (const char* sub : {"work/alpha/deep", "other"})
        QDir(root).mkpath(QString::fromLatin1(sub));
    QDir::setCurrent(root + "/work");
    QLineEdit txtout("/before");
    // "/", the temporary folder, and a volume that cannot be listed, named like the start of
    // the working folder's path.
    const auto volumes = [root] { return QStringList{"/", root, root + "/wor"}; };
    QPointer<frmdir> chooser = new frmdir(&owner, fake.platform(), &txtout, volumes);
    chooser->show();
    // A real double click is a click followed by a press the desktop reports as a double click.
    const auto click = [&](const QString& sub, bool twice) {
        FolderList* list = chooser->Dir1;
        QTreeWidgetItem* item = list->entryFor(sub.isEmpty() ? root : root + '/' + sub);
        ASSERT_TRUE(item);
        list->scrollToItem(item);
        const QPoint at = list->visualItemRect(item).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        if (twice)
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    };
    EXPECT_EQ(chooser->Drive1->currentText(), root);
    EXPECT_EQ(chooser->Dir1->path(), root + "/work");
    click("work/alpha", true);
    EXPECT_EQ(chooser->Dir1->path(), root + "/work/alpha");
    EXPECT_TRUE(chooser->Dir1->entryFor(root + "/work/alpha/deep"));
    click(QString(), true);  // up the parent chain
    EXPECT_EQ(chooser->Dir1->path(), root);
    click("other", false);
    EXPECT_EQ(FolderList::entryPath(chooser->Dir1->currentItem()), root + "/other");
    EXPECT_EQ(chooser->Dir1->path(), root);
    chooser->Command1->click();
    flushDeletes();
    EXPECT_EQ(txtout.text(), root);
    EXPECT_TRUE(chooser.isNull() && owner.isEnabled());

    chooser = new frmdir(&owner, fake.platform(), &txtout, volumes);
    chooser->show();
    chooser->Drive1->setCurrentIndex(0);
    chooser->Drive1->setCurrentIndex(2);
    EXPECT_EQ(takeMessages(fake.messageBox),
              QStringList{"Cinevra|Information|" + root + "/wor: No such file or directory"});
    // Back on the drive that worked last, not the one the window opened on.
    EXPECT_EQ(chooser->Drive1->currentText(), "/");
    chooser->Command1->click();
    EXPECT_EQ(txtout.text(), "/");  // the root is the separator alone
    QDir::setCurrent(previous);
}

}  // namespace
}  // namespace kadrel
