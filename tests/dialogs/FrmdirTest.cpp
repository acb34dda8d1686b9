#include "dialogs/frmdir.h"

#include "support/FakePlatform.h"
#include "dialogs/DialogTestSupport.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace kadrel {
namespace {

class FrmdirTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temp.isValid());
        root = QDir(temp.path()).canonicalPath();
        ASSERT_TRUE(QDir(root).mkpath(QStringLiteral("work/alpha/deep")));
        ASSERT_TRUE(QDir(root).mkpath(QStringLiteral("work/beta")));
        ASSERT_TRUE(QDir(root).mkpath(QStringLiteral("other")));
        ASSERT_TRUE(QDir(root).mkpath(QStringLiteral("work/.hidden")));
        previousFolder = QDir::currentPath();
        QDir::setCurrent(root + QStringLiteral("/work"));
        txtout.setText(QStringLiteral("/before"));
        mainWindow.show();
    }

    void TearDown() override
    {
        QDir::setCurrent(previousFolder);
        test::runDeferredDeletes();
    }

    // "/" and the temporary folder as two volumes, plus whatever the test adds.
    QPointer<frmdir> openChooser(QStringList extraVolumes = {})
    {
        QStringList volumes{QStringLiteral("/"), root};
        volumes << extraVolumes;
        auto* chooser = new frmdir(&mainWindow, fake.platform(), &txtout,
                                   [volumes] { return volumes; });
        chooser->show();
        return chooser;
    }

    static QStringList entryPaths(FolderList* list)
    {
        QStringList paths;
        for (QTreeWidgetItemIterator it(list); *it; ++it)
            paths << FolderList::entryPath(*it);
        return paths;
    }

    // A real double click is a click followed by a second press that the desktop reports as
    // a double click.
    static void click(FolderList* list, QTreeWidgetItem* item, bool twice)
    {
        list->scrollToItem(item);
        const QPoint at = list->visualItemRect(item).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        if (twice)
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }

    // The next of the dialog's own controls that Tab reaches.
    static QWidget* nextStop(frmdir* chooser, QWidget* from)
    {
        const QList<QWidget*> stops{chooser->Dir1, chooser->Drive1, chooser->Command1,
                                    chooser->Command2};
        QWidget* next = from->nextInFocusChain();
        while (!stops.contains(next))
            next = next->nextInFocusChain();
        return next;
    }

    QTemporaryDir temp;
    QString root;
    QString previousFolder;
    test::FakePlatform fake;
    QWidget mainWindow;
    QLineEdit txtout{&mainWindow};
};

TEST_F(FrmdirTest, LayoutCaptionsAndTabOrder)
{
    QPointer<frmdir> chooser = openChooser();
    EXPECT_EQ(chooser->windowTitle(), QStringLiteral("Output Path"));
    EXPECT_EQ(chooser->size(), QSize(312, 206));
    EXPECT_EQ(chooser->Drive1->geometry(), QRect(0, 0, 313, 21));
    EXPECT_EQ(chooser->Dir1->geometry(), QRect(0, 24, 313, 141));
    EXPECT_EQ(chooser->Command1->text(), QStringLiteral("&OK"));
    EXPECT_EQ(chooser->Command1->geometry(), QRect(32, 176, 97, 25));
    EXPECT_EQ(chooser->Command2->text(), QStringLiteral("&Cancel"));
    EXPECT_EQ(chooser->Command2->geometry(), QRect(176, 176, 97, 25));
    EXPECT_EQ(nextStop(chooser, chooser->Dir1), chooser->Drive1);
    EXPECT_EQ(nextStop(chooser, chooser->Drive1), chooser->Command1);
    EXPECT_EQ(nextStop(chooser, chooser->Command1), chooser->Command2);
    chooser->Command2_Click();
}

TEST_F(FrmdirTest, OpensOnTheWorkingFolderOfItsVolumeWithTheMainWindowDisabled)
{
    QPointer<frmdir> chooser = openChooser();
    EXPECT_FALSE(mainWindow.isEnabled());
    EXPECT_EQ(chooser->Drive1->count(), 2);
    EXPECT_EQ(chooser->Drive1->currentText(), root);
    EXPECT_EQ(chooser->Dir1->path(), root + QStringLiteral("/work"));

    // The parent chain from "/" down, then the subfolders, hidden ones left out.
    QStringList chain{QStringLiteral("/")};
    QString step;
    const QString working = root + QStringLiteral("/work");
    for (const QString& part : working.split(QLatin1Char('/'), Qt::SkipEmptyParts))
        chain << (step += QLatin1Char('/') + part);
    chain << root + QStringLiteral("/work/alpha") << root + QStringLiteral("/work/beta");
    EXPECT_EQ(entryPaths(chooser->Dir1), chain);
    EXPECT_EQ(FolderList::entryPath(chooser->Dir1->currentItem()), root + QStringLiteral("/work"));
    chooser->Command2_Click();
}

TEST_F(FrmdirTest, DoubleClickOpensSingleClickOnlyHighlights)
{
    QPointer<frmdir> chooser = openChooser();
    FolderList* list = chooser->Dir1;

    click(list, list->entryFor(root + QStringLiteral("/work/alpha")), true);
    EXPECT_EQ(list->path(), root + QStringLiteral("/work/alpha"));
    EXPECT_TRUE(list->entryFor(root + QStringLiteral("/work/alpha/deep")));
    EXPECT_FALSE(list->entryFor(root + QStringLiteral("/work/beta")));

    // Up the chain by a double click on a parent.
    click(list, list->entryFor(root), true);
    EXPECT_EQ(list->path(), root);
    EXPECT_TRUE(list->entryFor(root + QStringLiteral("/other")));

    click(list, list->entryFor(root + QStringLiteral("/other")), false);
    EXPECT_EQ(FolderList::entryPath(list->currentItem()), root + QStringLiteral("/other"));
    EXPECT_EQ(list->path(), root);

    chooser->Command1->click();
    test::runDeferredDeletes();
    EXPECT_EQ(txtout.text(), root);
    EXPECT_TRUE(mainWindow.isEnabled());
    EXPECT_TRUE(chooser.isNull());
}

TEST_F(FrmdirTest, OkOnTheRootWritesTheSeparator)
{
    QPointer<frmdir> chooser = openChooser();
    chooser->Drive1->setCurrentIndex(0);  // "/", which does not hold the working folder
    EXPECT_EQ(chooser->Dir1->path(), QStringLiteral("/"));
    chooser->Command1_Click();
    EXPECT_EQ(txtout.text(), QStringLiteral("/"));
    EXPECT_TRUE(fake.messageBox.messages.empty());
}

TEST_F(FrmdirTest, CancelAndCloseBoxLeaveTheBoxAndEnableTheMainWindow)
{
    QPointer<frmdir> chooser = openChooser();
    chooser->Dir1->setPath(root + QStringLiteral("/other"));
    chooser->Command2->click();
    test::runDeferredDeletes();
    EXPECT_TRUE(chooser.isNull());
    EXPECT_TRUE(mainWindow.isEnabled());
    EXPECT_EQ(txtout.text(), QStringLiteral("/before"));

    chooser = openChooser();
    EXPECT_FALSE(mainWindow.isEnabled());
    chooser->Dir1->setPath(root + QStringLiteral("/other"));
    chooser->close();
    test::runDeferredDeletes();
    EXPECT_TRUE(chooser.isNull());
    EXPECT_TRUE(mainWindow.isEnabled());
    EXPECT_EQ(txtout.text(), QStringLiteral("/before"));
}

TEST_F(FrmdirTest, UnlistableVolumeShowsTheReasonAndStepsBack)
{
    const QString missing = root + QStringLiteral("/unplugged");
    QPointer<frmdir> chooser = openChooser({missing});
    chooser->Drive1->setCurrentIndex(0);
    ASSERT_EQ(chooser->Dir1->path(), QStringLiteral("/"));

    chooser->Drive1->setCurrentIndex(2);
    ASSERT_EQ(fake.messageBox.messages.size(), 1u);
    const test::RecordedMessage& message = fake.messageBox.messages.front();
    EXPECT_EQ(message.title, QStringLiteral("Cinevra"));
    EXPECT_EQ(message.icon, MessageIcon::Information);
    EXPECT_EQ(message.text, missing + QStringLiteral(": No such file or directory"));
    EXPECT_EQ(chooser->Drive1->currentText(), QStringLiteral("/"));
    EXPECT_EQ(chooser->Dir1->path(), QStringLiteral("/"));

    // The remembered drive is the one that worked last, not the one the window opened on.
    chooser->Drive1->setCurrentIndex(2);
    EXPECT_EQ(fake.messageBox.messages.size(), 2u);
    EXPECT_EQ(chooser->Drive1->currentText(), QStringLiteral("/"));
    chooser->Command2_Click();
}

TEST_F(FrmdirTest, UnlistableFolderIsReportedAndTheListStays)
{
    QPointer<frmdir> chooser = openChooser();
    FolderList* list = chooser->Dir1;
    QTreeWidgetItem* alpha = list->entryFor(root + QStringLiteral("/work/alpha"));
    ASSERT_TRUE(QDir(root + QStringLiteral("/work/alpha")).removeRecursively());
    click(list, alpha, true);
    ASSERT_EQ(fake.messageBox.messages.size(), 1u);
    EXPECT_EQ(fake.messageBox.messages.front().title, QStringLiteral("Cinevra"));
    EXPECT_EQ(list->path(), root + QStringLiteral("/work"));
    chooser->Command2_Click();
}

TEST(VolumeOf, TheLongestRootThatHoldsThePath)
{
    const QStringList roots{QStringLiteral("/"), QStringLiteral("/media/usb"),
                            QStringLiteral("/media/usb2")};
    EXPECT_EQ(volumeOf(roots, QStringLiteral("/media/usb2/clips")), QStringLiteral("/media/usb2"));
    EXPECT_EQ(volumeOf(roots, QStringLiteral("/media/usb")), QStringLiteral("/media/usb"));
    EXPECT_EQ(volumeOf(roots, QStringLiteral("/media/usbx")), QStringLiteral("/"));
    const QStringList data{QStringLiteral("/data")};
    EXPECT_EQ(volumeOf(data, QStringLiteral("/home")), QStringLiteral("/data"));
}

}  // namespace
}  // namespace kadrel
