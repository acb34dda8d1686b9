// The main window as the full-screen windows see it: its controls by name, its check marks,
// showing and hiding it, and its capture failure message.

#include "app/frmmain.h"

#include <QWindow>

namespace kadrel {

QWidget* frmmain::control(Control control) const
{
    switch (control) {
    case Control::cmdplay: return cmdplay;
    case Control::cmdplay1: return cmdplay1;
    case Control::cmdcapture: return cmdcapture;
    case Control::cmdnormal: return cmdnormal;
    case Control::cmdfullscreen: return cmdfullscreen;
    case Control::cmdinfo: return cmdinfo;
    case Control::cmdnext: return cmdnext;
    case Control::cmdback: return cmdback;
    case Control::cmdseek: return cmdseek;
    case Control::cmdstep: return cmdstep;
    case Control::cmdmute: return cmdmute;
    case Control::cmdmute1: return cmdmute1;
    case Control::Slider1: return Slider1;
    case Control::Timer1: break;
    }
    return nullptr;
}

QSlider* frmmain::sliderControl(Slider slider) const
{
    return slider == Slider::Slider1 ? Slider1 : Slider2;
}

bool frmmain::enabled(Control which) const
{
    if (which == Control::Timer1)
        return Timer1.enabled();
    return enabledFlag(control(which));
}

void frmmain::setEnabled(Control which, bool on)
{
    if (which == Control::Timer1)
        Timer1.setEnabled(on);
    else
        control(which)->setEnabled(on);
}

bool frmmain::visible(Control which) const
{
    const QWidget* widget = control(which);
    return widget && !widget->isHidden();
}

void frmmain::setVisible(Control which, bool on)
{
    if (QWidget* widget = control(which))
        widget->setVisible(on);
}

MainWindowLink::SliderState frmmain::slider(Slider which) const
{
    const QSlider* s = sliderControl(which);
    return {s->minimum(), s->maximum(), s->value()};
}

void frmmain::setSliderRange(Slider which, int min, int max)
{
    sliderControl(which)->setRange(min, max);
}

void frmmain::setSliderValue(Slider which, int value)
{
    sliderControl(which)->setValue(value);
}

bool frmmain::muteChecked() const
{
    return mnumute->isChecked();
}

void frmmain::setMuteChecked(bool checked)
{
    mnumute->setChecked(checked);
}

bool frmmain::repeatChecked() const
{
    return mnurepeat->isChecked();
}

// A window manager places a window that is shown again as if it were new (at the top-left
// corner, for one), and the widget, which still holds its old place, would not move there
// again: the place is given to the native window itself before it is shown.
void frmmain::showWindow()
{
    if (m_placeBeforeHiding && windowHandle())
        windowHandle()->setPosition(*m_placeBeforeHiding);
    show();
    m_placeBeforeHiding.reset();
}

void frmmain::hideWindow()
{
    m_placeBeforeHiding = geometry().topLeft();
    hide();
}

void frmmain::showTransport(bool paused)
{
    cmdplay->setVisible(paused);
    cmdplay1->setVisible(!paused);
    setEnabled(Control::Timer1, !paused);
    lblstate->setText(paused ? QStringLiteral("Paused") : QStringLiteral("Playing"));
}

}  // namespace kadrel
