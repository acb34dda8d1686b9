#pragma once
// What the small dialogs share. Each is a window of its own, shown without a modal loop; the
// main window stays disabled while it is up, and Form_Unload enables it again however the
// dialog goes away: its own button, the close box, Esc, or being deleted. Geometry is given in
// twips and turned into pixels with the screen's twips per pixel.

#include "common/Platform.h"
#include "common/WindowHold.h"

#include <QDialog>
#include <QPointer>

#include <optional>

namespace kadrel {

class DialogWindow : public QDialog {
    Q_OBJECT

public:
    ~DialogWindow() override;

    // Unloads the window: Form_Unload runs, the window closes and is deleted soon after.
    void unload();

protected:
    DialogWindow(ScreenMetrics& screen, Qt::WindowFlags flags);

    // Disables the main window until Form_Unload.
    void holdOwner(QWidget* owner);
    QWidget* owner() const { return m_owner; }
    void Form_Unload();

    // A rectangle in twips as pixels.
    QRect twips(double left, double top, double width, double height) const;
    QPoint twipsPoint(double x, double y) const { return twips(x, y, 0, 0).topLeft(); }
    TwipsPerPixel twipsPerPixel() const { return m_tpp; }
    void setClientTwips(double width, double height);
    // Puts the top-left corner of the client area at a fixed place on the screen.
    void moveClientTwips(double left, double top);

    // The fonts the dialogs were laid out for, or the nearest the desktop has.
    static QFont sansFont(double points);
    static QFont fixedPitchFont(double points);

    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void showEvent(QShowEvent* event) override;

private:
    TwipsPerPixel m_tpp;
    QPointer<QWidget> m_owner;
    std::optional<WindowHold> m_held;
};

}  // namespace kadrel
