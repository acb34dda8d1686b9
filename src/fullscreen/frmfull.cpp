#include "fullscreen/frmfull.h"

#include "common/Twips.h"
#include "fullscreen/FullScreenMode.h"
#include "fullscreen/frmcontrol.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPalette>

namespace kadrel {

namespace {

constexpr int kCursorWatchMs = 1;  // the shortest interval there is
constexpr int kPanelShownMs = 4000;
constexpr int kEscape = 27;

}  // namespace

frmfull::frmfull(FullScreenMode& mode)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      Timer3(kCursorWatchMs, false, [this] { Timer3_Timer(); }),
      Timer2(kPanelShownMs, false, [this] { Timer2_Timer(); }),
      m_mode(mode)
{
    setObjectName(QStringLiteral("frmfull"));
    setWindowTitle(QStringLiteral("Form1"));
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
}

void frmfull::Form_Load()
{
    raise();
    const ScreenMetrics& screen = m_mode.platform().screen;
    const TwipsPerPixel tpp = screen.twipsPerPixel();
    setGeometry(0, 0, px(screen.widthTwips(), tpp.x), px(screen.heightTwips(), tpp.y));
    Timer3.setEnabled(true);
}

void frmfull::Show()
{
    show();
    raise();
    Activate();
}

// The reference point is taken at once, before the next tick of the cursor watch; the
// platform's activation, when it arrives, takes it again.
void frmfull::Activate()
{
    activateWindow();
    Form_Activate();
}

void frmfull::Form_Activate()
{
    m_reference = m_mode.platform().cursor.pos();
}

// Runs every millisecond: one cursor read and two comparisons while the mouse is still.
void frmfull::Timer3_Timer()
{
    m_current = m_mode.platform().cursor.pos();
    if (m_current.x() == m_reference.x() && m_current.y() == m_reference.y())
        return;
    m_mode.frmcontrol().Show();
    Timer2.setEnabled(true);
}

void frmfull::Timer2_Timer()
{
    if (m_mode.frmcontrolLoaded())
        m_mode.frmcontrol().Hide();
    Timer2.setEnabled(false);
}

void frmfull::Form_KeyPress(int keyAscii)
{
    if (keyAscii == kEscape)
        m_mode.leave();
}

void frmfull::Form_QueryUnload()
{
    m_mode.mainWindow().showWindow();
    m_mode.unloadFrmcontrol();
}

void frmfull::stopTimers()
{
    Timer3.setEnabled(false);
    Timer2.setEnabled(false);
}

double frmfull::widthTwips() const
{
    return width() * m_mode.platform().screen.twipsPerPixel().x;
}

bool frmfull::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    return QWidget::event(event);
}

void frmfull::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        Form_KeyPress(kEscape);
    else if (!event->text().isEmpty())
        Form_KeyPress(event->text().front().unicode());
    else
        QWidget::keyPressEvent(event);
}

// Closed from outside (the window manager, the application quitting): unloaded the
// program's way, so the video goes back first. The close is never refused.
void frmfull::closeEvent(QCloseEvent* event)
{
    m_mode.unloadFrmfull();
    event->accept();
}

}  // namespace kadrel
