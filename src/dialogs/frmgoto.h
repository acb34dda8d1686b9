#pragma once
// Go To: a frame number or a time, typed. The entry is handed to the main window, which
// lands on the frame or says why it cannot; a refused entry leaves the dialog up.

#include "dialogs/DialogWindow.h"

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kadrel {

class frmgoto final : public DialogWindow {
    Q_OBJECT

public:
    // Lands on the entry's frame, or returns why there is none.
    using Land = std::function<Status(const QString& entry)>;

    // Disables the owner; the box opens over it with current in the text box.
    frmgoto(QWidget* owner, Platform& platform, const QString& current, Land land);
    static frmgoto* open(QWidget* owner, Platform& platform, const QString& current, Land land);

    QLabel* Label1 = nullptr;
    QLineEdit* txtentry = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

    void cmdOK_Click();

private:
    Platform& m_platform;
    Land m_land;
};

}  // namespace kadrel
