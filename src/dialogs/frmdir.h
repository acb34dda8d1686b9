#pragma once
// The output folder chooser: a drive list of the mounted volumes and a folder list of the
// current folder's parent chain and subfolders. OK writes the folder list's path into the
// main window's output folder box; the main window stays disabled while the chooser is up.

#include "common/Status.h"
#include "dialogs/DialogWindow.h"

#include <QStringList>
#include <QTreeWidget>

#include <functional>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace kadrel {

// The root paths of the mounted volumes, as the drive list shows them.
QStringList mountedVolumeRoots();

// Of the roots, the longest one that holds path; the first root when none does.
QString volumeOf(const QStringList& roots, const QString& path);

// A folder list: the folders from the root down to the current one, each inside the one
// above it, then the current folder's subfolders. A double click opens a folder; a single
// click only highlights it.
class FolderList final : public QTreeWidget {
    Q_OBJECT

public:
    explicit FolderList(QWidget* parent = nullptr);

    // The current folder: "/" for the root, otherwise without a trailing separator.
    const QString& path() const { return m_path; }
    // Shows folder; fails, leaving the list as it was, when folder cannot be listed.
    Status setPath(const QString& folder);
    // The full path an entry stands for.
    static QString entryPath(const QTreeWidgetItem* item);
    QTreeWidgetItem* entryFor(const QString& folder);

signals:
    // A folder that was double-clicked could not be listed.
    void openFailed(const Status& failure);

protected:
    void drawBranches(QPainter* painter, const QRect& rect,
                      const QModelIndex& index) const override;

private:
    void openEntry(QTreeWidgetItem* item);

    QString m_path;
};

class frmdir final : public DialogWindow {
    Q_OBJECT

public:
    using VolumeSource = std::function<QStringList()>;

    // Disables the owner and runs Form_Load. txtout receives the folder on OK.
    frmdir(QWidget* owner, Platform& platform, QLineEdit* txtout,
           VolumeSource volumes = mountedVolumeRoots);

    // Loads the window and shows it (the main window's cmddir).
    static frmdir* open(QWidget* owner, Platform& platform, QLineEdit* txtout);

    void Drive1_Change();
    void Command1_Click();
    void Command2_Click();

    QComboBox* Drive1 = nullptr;
    FolderList* Dir1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;

private:
    void buildLayout(const QStringList& volumes);
    void Form_Load();
    void showFailure(const Status& failure);
    // The folder a volume opens at: the program's working folder when it lies on it.
    QString startFolder(const QString& volume) const;

    Platform& m_platform;
    QLineEdit* m_txtout;
    QStringList m_volumes;
    QString m_rememberedDrive;
};

}  // namespace kadrel
