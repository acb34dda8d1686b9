#pragma once
// The About box: banner, version, ownership notice, disclaimer and the home-page link that
// runs across it as a marquee. A click anywhere closes it; a click on the link opens the home
// page first. The main window stays disabled while it is open.

#include "dialogs/DialogWindow.h"

class QLabel;
class QTimer;

namespace kadrel {

class frmAbout final : public DialogWindow {
    Q_OBJECT

public:
    // Disables the owner, centres the box on it and starts the marquee (Form_Load).
    frmAbout(QWidget* owner, ShellService& shell, MessageBoxService& messageBox,
             ScreenMetrics& screen);

    // Loads the box and shows it (the main window's "&About ...").
    static frmAbout* open(QWidget* owner, ShellService& shell, MessageBoxService& messageBox,
                          ScreenMetrics& screen);

    // One step of the marquee; Timer1 runs it every 100 ms.
    void Timer1_Timer();

    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* lblDisclaimer = nullptr;
    QTimer* Timer1 = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void buildLayout();
    void Form_Load(QWidget* owner);
    void Form_Click();
    void Label3_Click();
    void placeLink();
    int linkStart() const;

    ShellService& m_shell;
    MessageBoxService& m_messageBox;
    int m_linkLeft;  // twips
    int m_linkWidth;  // twips
};

}  // namespace kadrel
