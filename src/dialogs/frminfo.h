#pragma once
// Media information: the open file's path, its length and its size on disk, filled once when
// the window loads. The main window stays disabled while it is open.

#include "dialogs/DialogWindow.h"

#include <QLocale>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kadrel {

class frminfo final : public DialogWindow {
    Q_OBJECT

public:
    // Disables the owner and runs Form_Load. durationSeconds is GetDuration's value.
    frminfo(QWidget* owner, ScreenMetrics& screen, const QString& mediaPath,
            double durationSeconds, const QLocale& locale = QLocale::system());

    // Loads the window and shows it (the main window's cmdinfo and "&Info...").
    static frminfo* open(QWidget* owner, ScreenMetrics& screen, const QString& mediaPath,
                         double durationSeconds);

    QLabel* Label1 = nullptr;
    QLineEdit* txtfile = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* lbllength = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* lblsize = nullptr;
    QPushButton* cmdOK = nullptr;

private:
    void buildLayout();
    void Form_Load(const QString& mediaPath, double durationSeconds, const QLocale& locale);
    void cmdOK_Click();
};

}  // namespace kadrel
