#pragma once
// Two controls with events that Qt's own widgets do not report: a slider telling when a mouse
// button goes down on it and when a click on it is complete, and a picture that can be clicked.

#include <QLabel>
#include <QSlider>

namespace kadrel {

// A control's own Enabled property, whatever its frames and window are set to.
bool enabledFlag(const QWidget* control);

class EventSlider : public QSlider {
    Q_OBJECT
public:
    explicit EventSlider(QWidget* parent = nullptr);

signals:
    void mouseDown();
    // After the button is released, whatever the press did to the value.
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // Tick marks at a round number of steps, far enough apart to be told from each other.
    void spaceTicks();
};

class ClickableImage : public QLabel {
    Q_OBJECT
public:
    explicit ClickableImage(QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    // In its own colours also while the window is disabled, as a picture box shows it.
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace kadrel
