#include "app/frmmain.h"

#include "app/Pictures.h"
#include "capture/CaptureSettings.h"
#include "common/Twips.h"
#include "common/UserFolders.h"
#include "fullscreen/FullScreenMode.h"
#include "fullscreen/frmcontrol.h"
#include "fullscreen/frmfull.h"
#include "transport/ReadoutLabel.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QLayout>
#include <QMenuBar>

namespace kadrel {

namespace {

constexpr int kButtonTwips = 375;
constexpr int kPositionTimerMs = 1000;

template <typename Widget>
Widget* named(Widget* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// The form font the layout was made for (8 points, narrow), or the nearest the desktop has.
QFont formFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                      QStringLiteral("DejaVu Sans Condensed")});
    font.setStyleHint(QFont::SansSerif);
    // Where only wide desktop fonts exist, their condensed face keeps captions inside their
    // twips-sized controls.
    font.setStretch(QFont::Condensed);
    font.setPointSizeF(8.0);
    return font;
}

QFont sizeButtonFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setBold(true);
    font.setPointSizeF(11.0);
    return font;
}

}  // namespace

frmmain::frmmain(Platform& platform, ProgramState& state, ActiveMovieControl& movie,
                 QWidget* parent)
    : QMainWindow(parent),
      Timer1(kPositionTimerMs, true, [this] { Timer1_Timer(); }),
      m_platform(platform),
      m_state(state),
      m_movie(movie),
      m_endProgram([] { QCoreApplication::exit(0); }),
      m_programFolder(programDataFolder(QCoreApplication::applicationDirPath()))
{
    setObjectName(QStringLiteral("frmmain"));
    setWindowTitle(kMainCaption);
    setFont(formFont());
    buildLayout();
    buildMenus();
    routeMenuKeys();
    // The client area has a fixed size; the window is as large as it and the menu bar need.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    m_transport = std::make_unique<Transport>(
        m_state, m_movie, *this,
        TransportControls{cmdplay, cmdplay1, cmdmute, cmdmute1, Slider1, Slider2, Timer1,
                          lblframe, [this] { return static_cast<QWidget*>(Video); }},
        m_yield);
    m_fullScreen = std::make_unique<FullScreenMode>(m_state, m_movie, m_platform, *this);
    m_movie.setVideoHost(Video);
    m_movie.setFullScreenHost(m_fullScreen->hostLoader());
}

frmmain::~frmmain()
{
    // Full-screen mode gives the video back while the picture box is still there.
    m_fullScreen.reset();
    m_movie.setFullScreenHost({});
    m_movie.setVideoHost(nullptr);
}

QRect frmmain::twips(double left, double top, double width, double height) const
{
    return pxRect(left, top, width, height, m_platform.screen.twipsPerPixel());
}

void frmmain::buildLayout()
{
    auto* client = new QWidget(this);
    client->setFixedSize(twips(0, 0, 10395, 5325).size());
    setCentralWidget(client);

    // Reaches past the client area on three sides, so only its left edge shows.
    Frame2 = named(new QGroupBox(client), "Frame2");
    Frame2->setGeometry(twips(0, -120, 10455, 5535));

    Frame3 = named(new QGroupBox(QStringLiteral("Capture Settings"), Frame2), "Frame3");
    Frame3->setGeometry(twips(5160, 120, 5175, 5295));
    Frame3->setEnabled(false);
    capture = named(new CaptureSettings(m_state, m_movie, m_platform, *this, Frame3), "capture");
    cmdbulkcapture = capture->cmdbulkcapture;
    cmdcancel = capture->cmdcancel;

    Video = named(new QFrame(client), "Video");
    Video->setGeometry(twips(120, 120, 4935, 3615));
    Video->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Video->setAutoFillBackground(true);
    QPalette black = Video->palette();
    black.setColor(QPalette::Window, Qt::black);
    Video->setPalette(black);

    Image1 = named(new ClickableImage(Video), "Image1");
    Image1->setGeometry(twips(240, 1080, 4500, 1230));
    Image1->setPixmap(logoPicture(Image1->size(), devicePixelRatioF()));
    Image1->setCursor(Qt::PointingHandCursor);
    connect(Image1, &ClickableImage::clicked, this, &frmmain::Image1_Click);

    Frame1 = named(new QGroupBox(client), "Frame1");
    Frame1->setGeometry(twips(240, 3720, 4695, 1575));
    buildTransport();
}

void frmmain::buildTransport()
{
    const auto button = [this](const char* name, double left, double top) {
        auto* b = named(new QPushButton(Frame1), name);
        b->setGeometry(twips(left, top, kButtonTwips, kButtonTwips));
        b->setIconSize(QSize(16, 16));
        return b;
    };
    const auto picture = [&](const char* name, double left, double top, ButtonPicture face,
                             void (frmmain::*handler)()) {
        QPushButton* b = button(name, left, top);
        b->setIcon(buttonIcon(face));
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };

    cmdplay = picture("cmdplay", 120, 240, ButtonPicture::Play, &frmmain::cmdplay_Click);
    cmdplay->setEnabled(false);
    cmdplay1 = picture("cmdplay1", 135, 255, ButtonPicture::Pause, &frmmain::cmdplay1_Click);
    cmdplay1->hide();
    cmdcapture = picture("cmdcapture", 135, 675, ButtonPicture::Capture,
                         &frmmain::cmdcapture_Click);
    cmdcapture->setEnabled(false);
    cmdinfo = picture("cmdinfo", 135, 1110, ButtonPicture::Info, &frmmain::cmdinfo_Click);
    cmdinfo->setToolTip(QStringLiteral("Media info..."));
    cmdinfo->setEnabled(false);

    Slider1 = named(new EventSlider(Frame1), "Slider1");
    Slider1->setGeometry(twips(570, 270, 3165, 435));
    Slider1->setToolTip(QStringLiteral("Media Position..."));
    Slider1->setRange(0, 10);
    Slider1->setPageStep(5);
    Slider1->setTickPosition(QSlider::TicksBelow);
    connect(Slider1, &EventSlider::mouseDown, this, &frmmain::Slider1_MouseDown);
    connect(Slider1, &EventSlider::clicked, this, &frmmain::Slider1_Click);
    connect(Slider1, &QSlider::valueChanged, this, &frmmain::Slider1_Change);

    // The state is a word; the frame readout shares its line.
    lblstate = named(new QLabel(Frame1), "lblstate");
    lblstate->setGeometry(twips(570, 750, 1005, 300));
    lblframe = named(new ReadoutLabel(Frame1), "lblframe");
    lblframe->setGeometry(twips(1590, 750, 2145, 300));
    lblframe->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblframe->setToolTip(QStringLiteral("The frame on show, as a bulk capture numbers it"));
    lbllength = named(new QLabel(Frame1), "lbllength");
    lbllength->setGeometry(twips(570, 1110, 1500, 360));
    lbllength->setToolTip(QStringLiteral("Current Frame..."));

    cmdseek = picture("cmdseek", 3810, 270, ButtonPicture::StepBack, &frmmain::cmdseek_Click);
    cmdseek->setEnabled(false);
    cmdstep = picture("cmdstep", 4170, 270, ButtonPicture::StepForward,
                      &frmmain::cmdstep_Click);
    cmdstep->setEnabled(false);
    cmdback = picture("cmdback", 3810, 675, ButtonPicture::First, &frmmain::cmdback_Click);
    cmdback->setEnabled(false);
    cmdnext = picture("cmdnext", 4170, 675, ButtonPicture::Last, &frmmain::cmdnext_Click);
    cmdnext->setEnabled(false);

    cmdnormal = button("cmdnormal", 2130, 1110);
    cmdnormal->setText(QStringLiteral("z"));
    cmdnormal->setFont(sizeButtonFont());
    cmdnormal->setToolTip(QStringLiteral("Normal Size"));
    cmdnormal->setEnabled(false);
    cmdfullscreen = button("cmdfullscreen", 2490, 1110);
    cmdfullscreen->setText(QStringLiteral("Z"));
    cmdfullscreen->setFont(sizeButtonFont());
    cmdfullscreen->setToolTip(QStringLiteral("Full Screen"));
    cmdfullscreen->setEnabled(false);
    connect(cmdfullscreen, &QPushButton::clicked, this, &frmmain::cmdfullscreen_Click);

    Slider2 = named(new QSlider(Qt::Horizontal, Frame1), "Slider2");
    Slider2->setGeometry(twips(2940, 1095, 1170, 390));
    Slider2->setToolTip(QStringLiteral("Volume"));
    Slider2->setRange(0, 100);
    Slider2->setPageStep(5);
    Slider2->setValue(100);
    Slider2->setTickPosition(QSlider::NoTicks);
    connect(Slider2, &QSlider::valueChanged, this, &frmmain::Slider2_Change);

    cmdmute = picture("cmdmute", 4170, 1110, ButtonPicture::SoundOn, &frmmain::cmdmute_Click);
    cmdmute1 = picture("cmdmute1", 4170, 1110, ButtonPicture::SoundOff,
                       &frmmain::cmdmute1_Click);
    cmdmute1->hide();
}

void frmmain::buildMenus()
{
    QMenuBar* bar = menuBar();
    mnufile = named(bar->addMenu(QStringLiteral("&File")), "mnufile");
    connect(mnufile, &QMenu::aboutToShow, this, &frmmain::mnufile_Click);
    mnuopen = addItem(mnufile, "mnuopen", QStringLiteral("&Open"), QKeySequence(Qt::CTRL | Qt::Key_O),
                      &frmmain::mnuopen_Click);
    mnuclose = addItem(mnufile, "mnuclose", QStringLiteral("&Close"),
                       QKeySequence(Qt::CTRL | Qt::Key_C), &frmmain::mnuclose_Click);
    mnuclose->setEnabled(false);
    named(mnufile->addSeparator(), "sep1");
    mnuinfo = addItem(mnufile, "mnuinfo", QStringLiteral("&Info..."),
                      QKeySequence(Qt::CTRL | Qt::Key_I), &frmmain::mnuinfo_Click);
    mnuinfo->setEnabled(false);
    named(mnufile->addSeparator(), "sep3");
    mnuexit = addItem(mnufile, "mnuexit", QStringLiteral("E&xit"), {}, &frmmain::mnuexit_Click);

    mnucontrol = named(bar->addMenu(QStringLiteral("&Controls")), "mnucontrol");
    connect(mnucontrol, &QMenu::aboutToShow, this, &frmmain::mnucontrol_Click);
    mnuplay = addItem(mnucontrol, "mnuplay", QStringLiteral("&Play"), QKeySequence(Qt::Key_F3),
                      &frmmain::mnuplay_Click);
    mnupause = addItem(mnucontrol, "mnupause", QStringLiteral("Pa&use"),
                       QKeySequence(Qt::Key_F4), &frmmain::mnupause_Click);
    named(mnucontrol->addSeparator(), "sep7");
    mnufirst = addItem(mnucontrol, "mnufirst", QStringLiteral("Move to &First"),
                       QKeySequence(Qt::Key_F5), &frmmain::mnufirst_Click);
    mnulast = addItem(mnucontrol, "mnulast", QStringLiteral("Move to &Last"),
                      QKeySequence(Qt::Key_F6), &frmmain::mnulast_Click);
    named(mnucontrol->addSeparator(), "sep8");
    mnuback = addItem(mnucontrol, "mnuback", QStringLiteral("One Frame &Backward"),
                      QKeySequence(Qt::Key_F7), &frmmain::mnuback_Click);
    mnuforward = addItem(mnucontrol, "mnuforward", QStringLiteral("One Frame &Forward"),
                         QKeySequence(Qt::Key_F8), &frmmain::mnuforward_Click);
    for (QAction* item : {mnuplay, mnupause, mnufirst, mnulast, mnuback, mnuforward})
        item->setEnabled(false);

    mnutools = named(bar->addMenu(QStringLiteral("&Tools")), "mnutools");
    mnufullscreen = addItem(mnutools, "mnufullscreen", QStringLiteral("Full &Screen"),
                            QKeySequence(Qt::CTRL | Qt::Key_F), &frmmain::mnufullscreen_Click);
    mnufullscreen->setEnabled(false);
    named(mnutools->addSeparator(), "sep4");
    mnurepeat = addCheckItem(mnutools, "mnurepeat", QStringLiteral("&Repeat"),
                             QKeySequence(Qt::CTRL | Qt::Key_R), &frmmain::mnurepeat_Click);
    mnurepeat->setChecked(true);
    mnumute = addCheckItem(mnutools, "mnumute", QStringLiteral("&Mute"),
                           QKeySequence(Qt::CTRL | Qt::Key_M), &frmmain::mnumute_Click);
    named(mnutools->addSeparator(), "sep5");
    mnucapture = addItem(mnutools, "mnucapture", QStringLiteral("Capture Current &Frame"),
                         QKeySequence(Qt::Key_F9), &frmmain::mnucapture_Click);
    mnucapture->setEnabled(false);

    mnuhelp = named(bar->addMenu(QStringLiteral("&Help")), "mnuhelp");
    mnutopics = addItem(mnuhelp, "mnutopics", QStringLiteral("&Help Topics"),
                        QKeySequence(Qt::Key_F1), &frmmain::mnutopics_Click);
    mnutip = addItem(mnuhelp, "mnutip", QStringLiteral("Tip of The &Day"), {},
                     &frmmain::mnutip_Click);
    named(mnuhelp->addSeparator(), "sep6");
    mnuabout = addItem(mnuhelp, "mnuabout",
                       QStringLiteral("&About Kadrel - Video Image Extractor..."),
                       QKeySequence(Qt::Key_F2), &frmmain::mnuabout_Click);
    buildFrameItems();
    // With or without media: the choices are kept for the runs to come, and a folder's videos
    // are opened one by one.
    named(mnutools->addSeparator(), "sep10");
    mnucaptureoptions = addItem(mnutools, "mnucaptureoptions",
                                QStringLiteral("Capture Op&tions..."), {},
                                &frmmain::mnucaptureoptions_Click);
    mnucapturefolder = addItem(mnutools, "mnucapturefolder",
                               QStringLiteral("Capture Fo&lder..."), {},
                               &frmmain::mnucapturefolder_Click);
}

QAction* frmmain::addItem(QMenu* menu, const char* name, const QString& caption,
                          const QKeySequence& shortcut, void (frmmain::*handler)())
{
    QAction* item = named(menu->addAction(caption), name);
    item->setShortcut(shortcut);
    connect(item, &QAction::triggered, this, handler);
    return item;
}

QAction* frmmain::addCheckItem(QMenu* menu, const char* name, const QString& caption,
                               const QKeySequence& shortcut, void (frmmain::*handler)())
{
    QAction* item = named(menu->addAction(caption), name);
    item->setShortcut(shortcut);
    item->setCheckable(true);
    // Qt turns the mark over before the handler runs; the handler decides it instead.
    connect(item, &QAction::triggered, this, [this, item, handler] {
        item->setChecked(!item->isChecked());
        (this->*handler)();
    });
    return item;
}

void frmmain::closeEvent(QCloseEvent* event)
{
    if (capture->running()) {
        // The run stops after the frame in hand; then the window closes as asked.
        event->ignore();
        capture->cancelRunThen([this] { close(); });
        return;
    }
    Form_Unload();
    event->accept();
}

}  // namespace kadrel
