#include "fullscreen/frmcontrol.h"

#include "common/Twips.h"
#include "common/mCommon.h"
#include "fullscreen/FullScreenMode.h"
#include "fullscreen/PanelIcons.h"
#include "fullscreen/frmfull.h"
#include "output/ImageFormat.h"
#include "output/SaveFrame.h"
#include "transport/ReadoutLabel.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

namespace kadrel {

namespace {

// Design sizes in twips.
constexpr double kPanelWidth = 8055;
constexpr double kPanelHeight = 600;
constexpr double kFrameLeft = -10;  // the frame's border lies outside the strip
constexpr double kFrameTop = -120;
constexpr double kFrameHeight = 735;
constexpr double kSliderLeft = 4800;
constexpr double kRightMargin = 120;
// Right of the position slider: the two frame steps and the readout.
constexpr double kGap = 60;
constexpr double kReadoutWidth = 2250;
constexpr double kFrameControlsWidth = kGap + 375 + 375 + kGap + kReadoutWidth;

constexpr int kPositionTimerMs = 1000;

using Control = MainWindowLink::Control;
using Slider = MainWindowLink::Slider;

// A control's own Enabled property, whatever its window's state.
bool ownEnabled(const QWidget* control)
{
    return control->isEnabledTo(control->window());
}

bool ownVisible(const QWidget* control)
{
    return !control->isHidden();
}

}  // namespace

frmcontrol::frmcontrol(FullScreenMode& mode)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      Timer1(kPositionTimerMs, true, [this] { Timer1_Timer(); }),
      m_mode(mode)
{
    setObjectName(QStringLiteral("frmcontrol"));
    setWindowTitle(QStringLiteral("Form1"));
    createControls();
    orderTabs();
    m_transport = std::make_unique<Transport>(
        m_mode.state(), m_mode.movie(), *this,
        TransportControls{cmdplay, cmdplay1, cmdmute, cmdmute1, Slider1, Slider2, Timer1,
                          lblframe,
                          [this]() -> QWidget* {
                              return m_mode.frmfullLoaded() ? &m_mode.frmfull() : nullptr;
                          }},
        m_mode.eventYield());
}

frmcontrol::~frmcontrol() = default;

void frmcontrol::createControls()
{
    const TwipsPerPixel tpp = m_mode.platform().screen.twipsPerPixel();
    resize(px(kPanelWidth, tpp.x), px(kPanelHeight, tpp.y));
    Frame1 = new QFrame(this);
    Frame1->setFrameShape(QFrame::Box);
    Frame1->setFrameShadow(QFrame::Sunken);
    Frame1->setGeometry(pxRect(kFrameLeft, kFrameTop, kPanelWidth, kFrameHeight, tpp));

    auto button = [&](double left, double top, const QString& name) {
        auto* b = new QPushButton(Frame1);
        b->setObjectName(name);
        b->setGeometry(pxRect(left, top, 375, 375, tpp));
        return b;
    };
    auto picture = [](QPushButton* b, const QPixmap& pixmap) {
        b->setIcon(QIcon(pixmap));
        b->setIconSize(pixmap.size());
    };
    cmdplay = button(120, 240, QStringLiteral("cmdplay"));
    picture(cmdplay, playIcon());
    cmdplay1 = button(135, 255, QStringLiteral("cmdplay1"));
    picture(cmdplay1, pauseIcon());
    cmdplay1->hide();
    cmdseek = button(570, 240, QStringLiteral("cmdseek"));
    picture(cmdseek, stepBackIcon());
    cmdseek->setEnabled(false);
    cmdstep = button(930, 240, QStringLiteral("cmdstep"));
    picture(cmdstep, stepForwardIcon());
    cmdstep->setEnabled(false);
    cmdback = button(1410, 240, QStringLiteral("cmdback"));
    picture(cmdback, firstIcon());
    cmdback->setEnabled(false);
    cmdnext = button(1770, 240, QStringLiteral("cmdnext"));
    picture(cmdnext, lastIcon());
    cmdnext->setEnabled(false);
    cmdnormal = button(2250, 240, QStringLiteral("cmdnormal"));
    QFont courier(QStringLiteral("Courier New"));
    courier.setStyleHint(QFont::TypeWriter);
    courier.setBold(true);
    courier.setPointSizeF(14.25);
    cmdnormal->setFont(courier);
    cmdnormal->setText(QStringLiteral("z"));
    cmdnormal->setToolTip(QStringLiteral("Normal Size"));
    cmdnormal->setEnabled(false);
    cmdmute = button(2610, 240, QStringLiteral("cmdmute"));
    picture(cmdmute, soundOnIcon());
    cmdmute1 = button(2610, 240, QStringLiteral("cmdmute1"));
    picture(cmdmute1, soundOffIcon());
    cmdmute1->hide();
    cmdcapture = button(3120, 240, QStringLiteral("cmdcapture"));
    picture(cmdcapture, floppyIcon());

    Slider2 = new QSlider(Qt::Horizontal, Frame1);
    Slider2->setObjectName(QStringLiteral("Slider2"));
    Slider2->setGeometry(pxRect(3540, 240, 1155, 390, tpp));
    Slider2->setRange(0, 100);
    Slider2->setSingleStep(1);
    Slider2->setPageStep(5);
    Slider2->setTickPosition(QSlider::NoTicks);
    Slider2->setToolTip(QStringLiteral("Volume"));
    Slider1 = new QSlider(Qt::Horizontal, Frame1);
    Slider1->setObjectName(QStringLiteral("Slider1"));
    Slider1->setGeometry(pxRect(kSliderLeft, 240, 3165, 435, tpp));
    Slider1->setRange(0, 10);
    Slider1->setSingleStep(1);
    Slider1->setPageStep(5);
    Slider1->setTickPosition(QSlider::TicksBelow);
    Slider1->setToolTip(QStringLiteral("Media Position..."));
    Slider1->installEventFilter(this);

    connect(cmdplay, &QPushButton::clicked, this, [this] { cmdplay_Click(); });
    connect(cmdplay1, &QPushButton::clicked, this, [this] { cmdplay1_Click(); });
    connect(cmdseek, &QPushButton::clicked, this, [this] { cmdseek_Click(); });
    connect(cmdstep, &QPushButton::clicked, this, [this] { cmdstep_Click(); });
    connect(cmdback, &QPushButton::clicked, this, [this] { cmdback_Click(); });
    connect(cmdnext, &QPushButton::clicked, this, [this] { cmdnext_Click(); });
    connect(cmdnormal, &QPushButton::clicked, this, [this] { cmdnormal_Click(); });
    connect(cmdmute, &QPushButton::clicked, this, [this] { cmdmute_Click(); });
    connect(cmdmute1, &QPushButton::clicked, this, [this] { cmdmute1_Click(); });
    connect(cmdcapture, &QPushButton::clicked, this, [this] { cmdcapture_Click(); });
    connect(Slider2, &QSlider::valueChanged, this, [this] { Slider2_Change(); });
    createFrameControls(tpp);
}

void frmcontrol::createFrameControls(TwipsPerPixel tpp)
{
    const auto step = [&](const char* name, const QString& face, const QString& tip,
                          QKeyCombination key, QKeyCombination other,
                          void (frmcontrol::*handler)()) {
        auto* b = new QPushButton(face, Frame1);
        b->setObjectName(QLatin1String(name));
        b->setToolTip(tip);
        b->setAutoRepeat(true);
        connect(b, &QPushButton::clicked, this, handler);
        // The keys work on the panel and, from Form_Load, on the full-screen window.
        auto* keys = new QAction(this);
        keys->setShortcuts({QKeySequence(key), QKeySequence(other)});
        connect(keys, &QAction::triggered, this, handler);
        addAction(keys);
        return b;
    };
    cmdprevframe = step("cmdprevframe", QStringLiteral("\u25c0|"),
                        QStringLiteral("Previous Frame (Shift+F7)"), Qt::SHIFT | Qt::Key_F7,
                        Qt::CTRL | Qt::Key_Left, &frmcontrol::cmdprevframe_Click);
    cmdnextframe = step("cmdnextframe", QStringLiteral("|\u25b6"),
                        QStringLiteral("Next Frame (Shift+F8)"), Qt::SHIFT | Qt::Key_F8,
                        Qt::CTRL | Qt::Key_Right, &frmcontrol::cmdnextframe_Click);
    lblframe = new ReadoutLabel(Frame1);
    lblframe->setObjectName(QStringLiteral("lblframe"));
    lblframe->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    placeFrameControls(kPanelWidth, tpp);
}

void frmcontrol::placeFrameControls(double fullWidth, TwipsPerPixel tpp)
{
    const double left = fullWidth - kRightMargin - kFrameControlsWidth;
    cmdprevframe->setGeometry(pxRect(left + kGap, 240, 375, 375, tpp));
    cmdnextframe->setGeometry(pxRect(left + kGap + 375, 240, 375, 375, tpp));
    lblframe->setGeometry(pxRect(left + 2 * kGap + 750, 240, kReadoutWidth, 375, tpp));
}

void frmcontrol::orderTabs()
{
    QWidget* const order[] = {cmdmute1, cmdnormal, cmdmute, cmdstep, cmdseek, cmdnext,
                              cmdback, Slider2, Slider1, cmdplay1, cmdplay, cmdcapture};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
}

void frmcontrol::Form_Load()
{
    const TwipsPerPixel tpp = m_mode.platform().screen.twipsPerPixel();
    // As wide as the full-screen window; asking for it loads that window.
    const double fullWidth = m_mode.frmfull().widthTwips();
    setGeometry(0, 0, px(fullWidth, tpp.x), height());
    Frame1->setGeometry(
        pxRect(kFrameLeft, kFrameTop, fullWidth + kRightMargin, kFrameHeight, tpp));
    const QRect slider = Slider1->geometry();
    Slider1->setGeometry(slider.x(), slider.y(),
                         px(fullWidth - kSliderLeft - kRightMargin - kFrameControlsWidth, tpp.x),
                         slider.height());
    placeFrameControls(fullWidth, tpp);
    m_mode.frmfull().addActions(actions());
}

void frmcontrol::Form_QueryUnload()
{
    if (m_mode.frmfullLoaded())
        m_mode.frmfull().Timer3.setEnabled(false);
    passcontolstate();
    m_mode.yieldOnce();
}

void frmcontrol::passcontolstate()
{
    MainWindowLink& main = m_mode.mainWindow();
    const bool paused = m_mode.state().paused;
    // The main window's own timer may have ended the media first and paused its transport
    // while the panel still shows its playing state: its slider stays at the end.
    const bool mainEndedMedia = paused && ownVisible(cmdplay1);

    for (Control c : {Control::cmdplay1, Control::cmdcapture, Control::cmdnormal,
                      Control::cmdfullscreen, Control::cmdnext, Control::cmdback,
                      Control::cmdseek, Control::cmdstep})
        main.setEnabled(c, true);
    main.setEnabled(Control::Slider1, true);
    main.setSliderRange(Slider::Slider1, Slider1->minimum(), Slider1->maximum());
    main.setEnabled(Control::cmdback, ownEnabled(cmdback));
    main.setVisible(Control::cmdmute, ownVisible(cmdmute));
    main.setVisible(Control::cmdmute1, ownVisible(cmdmute1));
    main.setEnabled(Control::cmdnext, ownEnabled(cmdnext));
    main.setVisible(Control::cmdplay, ownVisible(cmdplay));
    main.setVisible(Control::cmdplay1, ownVisible(cmdplay1));
    main.setEnabled(Control::cmdseek, ownEnabled(cmdseek));
    main.setEnabled(Control::cmdstep, ownEnabled(cmdstep));
    main.setEnabled(Control::Timer1, Timer1.enabled());
    if (!mainEndedMedia)
        main.setSliderValue(Slider::Slider1, Slider1->value());
    main.setSliderValue(Slider::Slider2, Slider2->value());
    main.setEnabled(Control::cmdfullscreen, true);
    main.setEnabled(Control::cmdnormal, false);
    main.setEnabled(Control::cmdinfo, true);
    main.setFrameReadout(lblframe->text());
    // The state label is not on the panel; with the buttons and the timer it follows the
    // media, whichever window paused or played it last.
    main.showTransport(paused);
}

void frmcontrol::Show()
{
    if (isHidden())
        show();
    if (!isActiveWindow()) {
        raise();
        activateWindow();
    }
}

void frmcontrol::Hide()
{
    hide();
    if (m_mode.frmfullLoaded())
        m_mode.frmfull().Activate();
}

void frmcontrol::cmdplay_Click()
{
    if (!m_mode.state().paused)
        return;
    m_mode.movie().PlayMedia();
    m_transport->showPlaying();
}

void frmcontrol::cmdplay1_Click()
{
    if (m_mode.state().paused)
        return;
    m_mode.movie().PauseMedia();
    m_transport->showPaused();
}

void frmcontrol::cmdback_Click()
{
    m_transport->toStart();
}

void frmcontrol::cmdnext_Click()
{
    m_transport->toEnd();
}

void frmcontrol::cmdseek_Click()
{
    m_transport->stepBack();
}

void frmcontrol::cmdstep_Click()
{
    m_transport->stepForward();
}

void frmcontrol::cmdprevframe_Click()
{
    m_transport->previousFrame();
}

void frmcontrol::cmdnextframe_Click()
{
    m_transport->nextFrame();
}

void frmcontrol::Slider1_MouseDown()
{
    m_transport->press();
}

void frmcontrol::Slider1_Click()
{
    m_transport->release();
}

void frmcontrol::Slider2_Change()
{
    m_transport->volumeChanged();
}

void frmcontrol::mute()
{
    m_transport->toggleMute();
}

void frmcontrol::cmdnormal_Click()
{
    m_mode.leave();
}

void frmcontrol::cmdcapture_Click()
{
    Hide();
    // No mouse movement may bring the panel back while the dialog is up.
    m_mode.frmfull().Timer3.setEnabled(false);
    if (!m_mode.state().paused)
        cmdplay1_Click();
    const QString path = FileDialog(m_mode.platform(), this, true,
                                    QStringLiteral("Save Frame As..."),
                                    imageFileFilter(), QString(), QStringLiteral("bmp"));
    if (!path.isEmpty()) {
        MainWindowLink& main = m_mode.mainWindow();
        const Status saved = saveFrame(m_mode.movie(), path, imageFormatOfPath(path),
                                       std::nullopt, main.shownFrameFacts(), main.pngDepth());
        m_mode.yieldOnce();
        if (!saved)
            main.reportCaptureFailure(this, path, saved);
    }
    // The watch comes back whatever happened, so the panel keeps working; full-screen mode
    // may have ended while the dialog was up.
    if (m_mode.frmfullLoaded()) {
        m_mode.frmfull().Activate();
        m_mode.frmfull().Timer3.setEnabled(true);
    }
}

void frmcontrol::Timer1_Timer()
{
    m_transport->tick();
}

bool frmcontrol::muteChecked() const
{
    return m_mode.mainWindow().muteChecked();
}

void frmcontrol::setMuteChecked(bool checked)
{
    m_mode.mainWindow().setMuteChecked(checked);
}

bool frmcontrol::repeatChecked() const
{
    return m_mode.mainWindow().repeatChecked();
}

void frmcontrol::unloadFrmfull()
{
    m_mode.unloadFrmfull();
}

bool frmcontrol::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Slider1) {
        if (event->type() == QEvent::MouseButtonPress)
            Slider1_MouseDown();
        else if (event->type() == QEvent::MouseButtonRelease)
            Slider1_Click();
    }
    return QWidget::eventFilter(watched, event);
}

// Closed from outside (the window manager, the application quitting): unloaded the
// program's way. The close is never refused.
void frmcontrol::closeEvent(QCloseEvent* event)
{
    m_mode.unloadFrmcontrol();
    event->accept();
}

}  // namespace kadrel
