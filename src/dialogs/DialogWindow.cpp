#include "dialogs/DialogWindow.h"

#include <QCloseEvent>
#include <QWindow>

namespace kadrel {

DialogWindow::DialogWindow(ScreenMetrics& screen, Qt::WindowFlags flags)
    : QDialog(nullptr, flags), m_tpp(screen.twipsPerPixel())
{
    // No Qt parent: a disabled main window would disable its child windows with it.
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(sansFont(8));
}

DialogWindow::~DialogWindow()
{
    // Deleted without being closed: the main window must not stay disabled.
    Form_Unload();
}

void DialogWindow::unload()
{
    close();
}

void DialogWindow::holdOwner(QWidget* owner)
{
    m_owner = owner;
    m_held.emplace(owner);
}

void DialogWindow::Form_Unload()
{
    m_held.reset();
    m_owner = nullptr;
}

QRect DialogWindow::twips(double left, double top, double width, double height) const
{
    return pxRect(left, top, width, height, m_tpp);
}

void DialogWindow::setClientTwips(double width, double height)
{
    setFixedSize(twips(0, 0, width, height).size());
}

void DialogWindow::moveClientTwips(double left, double top)
{
    setGeometry(QRect(twips(left, top, 0, 0).topLeft(), size()));
}

QFont DialogWindow::sansFont(double points)
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                      QStringLiteral("DejaVu Sans Condensed")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    return font;
}

QFont DialogWindow::fixedPitchFont(double points)
{
    QFont font;
    font.setFamilies({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"),
                      QStringLiteral("Cousine"), QStringLiteral("DejaVu Sans Mono")});
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSizeF(points);
    return font;
}

void DialogWindow::closeEvent(QCloseEvent* event)
{
    // QDialog's own handling would only hide the window; unloading always runs Form_Unload.
    Form_Unload();
    event->accept();
}

void DialogWindow::reject()
{
    unload();
}

void DialogWindow::showEvent(QShowEvent* event)
{
    // Kept above the main window by the window manager, without becoming its child.
    if (m_owner && windowHandle() && m_owner->window()->windowHandle())
        windowHandle()->setTransientParent(m_owner->window()->windowHandle());
    QDialog::showEvent(event);
}

}  // namespace kadrel
