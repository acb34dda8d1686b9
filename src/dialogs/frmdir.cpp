#include "dialogs/frmdir.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QStorageInfo>
#include <QStyle>

#include <dirent.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace kadrel {

namespace {

const QString kTitle = QStringLiteral("Cinevra");
constexpr int kPathRole = Qt::UserRole;

// Opening the folder is the test of whether it can be listed at all; QDir alone would
// report an unreadable folder as an empty one.
Status checkListable(const QString& folder)
{
    using DirHandle = std::unique_ptr<DIR, int (*)(DIR*)>;
    const DirHandle dir(::opendir(QFile::encodeName(folder).constData()), &::closedir);
    if (dir)
        return {};
    const int error = errno;
    return Status::failure(error, QStringLiteral("%1: %2").arg(
                                      folder, QString::fromLocal8Bit(std::strerror(error))));
}

bool holds(const QString& root, const QString& path)
{
    if (root == QLatin1String("/"))
        return path.startsWith(root);
    return path == root || path.startsWith(root + QLatin1Char('/'));
}

}  // namespace

QStringList mountedVolumeRoots()
{
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && !roots.contains(volume.rootPath()))
            roots << volume.rootPath();
    }
    return roots;
}

QString volumeOf(const QStringList& roots, const QString& path)
{
    QString best;
    for (const QString& root : roots) {
        if (holds(root, path) && root.size() > best.size())
            best = root;
    }
    return best.isEmpty() && !roots.isEmpty() ? roots.first() : best;
}

FolderList::FolderList(QWidget* parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setIndentation(12);
    connect(this, &QTreeWidget::itemDoubleClicked, this, &FolderList::openEntry);
}

Status FolderList::setPath(const QString& folder)
{
    const QString clean = QDir::cleanPath(QDir(folder).absolutePath());
    if (Status s = checkListable(clean); !s)
        return s;

    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    QTreeWidgetItem* current = new QTreeWidgetItem(this, {QStringLiteral("/")});
    current->setIcon(0, open);
    current->setData(0, kPathRole, QStringLiteral("/"));
    QString chain;
    for (const QString& part : clean.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        chain += QLatin1Char('/') + part;
        current = new QTreeWidgetItem(current, {part});
        current->setIcon(0, open);
        current->setData(0, kPathRole, chain);
    }

    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const QDir dir(clean);
    const QDir::SortFlags order = QDir::Name | QDir::IgnoreCase | QDir::LocaleAware;
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, order)) {
        auto* sub = new QTreeWidgetItem(current, {name});
        sub->setIcon(0, closed);
        sub->setData(0, kPathRole, dir.filePath(name));
    }
    expandAll();
    setCurrentItem(current);
    m_path = clean;
    return {};
}

void FolderList::drawBranches(QPainter*, const QRect&, const QModelIndex&) const
{
    // The list is always open all the way down: no expand and collapse marks.
}

QString FolderList::entryPath(const QTreeWidgetItem* item)
{
    return item ? item->data(0, kPathRole).toString() : QString();
}

QTreeWidgetItem* FolderList::entryFor(const QString& folder)
{
    for (QTreeWidgetItemIterator it(this); *it; ++it) {
        if (entryPath(*it) == folder)
            return *it;
    }
    return nullptr;
}

void FolderList::openEntry(QTreeWidgetItem* item)
{
    if (Status s = setPath(entryPath(item)); !s)
        emit openFailed(s);
}

frmdir::frmdir(QWidget* owner, Platform& platform, QLineEdit* txtout, VolumeSource volumes)
    : DialogWindow(platform.screen, Qt::Dialog), m_platform(platform), m_txtout(txtout),
      m_volumes(volumes())
{
    buildLayout(m_volumes);
    holdOwner(owner);
    if (owner)
        move(owner->frameGeometry().center() - rect().center());
    Form_Load();
}

frmdir* frmdir::open(QWidget* owner, Platform& platform, QLineEdit* txtout)
{
    auto* chooser = new frmdir(owner, platform, txtout);
    chooser->show();
    return chooser;
}

void frmdir::buildLayout(const QStringList& volumes)
{
    setWindowTitle(QStringLiteral("Output Path"));
    setWindowIcon(style()->standardIcon(QStyle::SP_DirIcon));
    setClientTwips(4680, 3090);

    Dir1 = new FolderList(this);
    Dir1->setGeometry(twips(0, 360, 4695, 2115));
    Drive1 = new QComboBox(this);
    Drive1->setGeometry(twips(0, 0, 4695, 315));
    Drive1->addItems(volumes);
    Command1 = new QPushButton(QStringLiteral("&OK"), this);
    Command1->setGeometry(twips(480, 2640, 1455, 375));
    Command2 = new QPushButton(QStringLiteral("&Cancel"), this);
    Command2->setGeometry(twips(2640, 2640, 1455, 375));

    setTabOrder(Dir1, Drive1);
    setTabOrder(Drive1, Command1);
    setTabOrder(Command1, Command2);
    Dir1->setFocus();

    connect(Dir1, &FolderList::openFailed, this, &frmdir::showFailure);
    connect(Command1, &QPushButton::clicked, this, &frmdir::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmdir::Command2_Click);
}

void frmdir::Form_Load()
{
    m_rememberedDrive = volumeOf(m_volumes, QDir::currentPath());
    Drive1->setCurrentIndex(static_cast<int>(m_volumes.indexOf(m_rememberedDrive)));
    if (Status s = Dir1->setPath(startFolder(m_rememberedDrive)); !s)
        showFailure(s);
    // Connected only now: choosing the starting drive is not a change by the user.
    connect(Drive1, &QComboBox::currentIndexChanged, this, &frmdir::Drive1_Change);
}

QString frmdir::startFolder(const QString& volume) const
{
    const QString working = QDir::currentPath();
    return volumeOf(m_volumes, working) == volume ? working : volume;
}

void frmdir::Drive1_Change()
{
    const QString drive = Drive1->currentText();
    if (Status s = Dir1->setPath(startFolder(drive)); !s) {
        showFailure(s);
        // Going back raises this handler again for the drive that worked.
        Drive1->setCurrentIndex(static_cast<int>(m_volumes.indexOf(m_rememberedDrive)));
        return;
    }
    m_rememberedDrive = drive;
}

void frmdir::showFailure(const Status& failure)
{
    m_platform.messageBox.show(this, failure.description(), kTitle, MessageIcon::Information);
}

void frmdir::Command1_Click()
{
    m_txtout->setText(Dir1->path());
    unload();
}

void frmdir::Command2_Click()
{
    unload();
}

}  // namespace kadrel
