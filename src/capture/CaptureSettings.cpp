#include "capture/CaptureSettings.h"

#include "capture/CaptureOptionsDialog.h"
#include "capture/CapturePlan.h"
#include "common/Rounding.h"
#include "common/mCommon.h"
#include "dialogs/frmdir.h"
#include "media/ActiveMovieControl.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include <algorithm>

namespace kadrel {

namespace {

// A read-only look: the button face behind the text.
void buttonFaceBackground(QLineEdit* box)
{
    QPalette face = box->palette();
    face.setColor(QPalette::Base, face.color(QPalette::Button));
    box->setPalette(face);
}

QSlider* rangeSlider(QWidget* parent)
{
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setToolTip(QStringLiteral("Media Position..."));
    slider->setRange(0, 10);
    slider->setTickPosition(QSlider::TicksBelow);
    // Like a change event: a drag reports its value once, when it is let go.
    slider->setTracking(false);
    return slider;
}

// A caption that changes with the slider it names; the label grows to fit it.
void setFittingText(QLabel* label, const QString& text)
{
    label->setText(text);
    label->adjustSize();
}

}  // namespace

CaptureSettings::CaptureSettings(ProgramState& state, ActiveMovieControl& movie,
                                 Platform& platform, CaptureHost& host, QWidget* parent,
                                 Yield yield)
    : QWidget(parent), m_state(state), m_movie(movie), m_platform(platform), m_host(host),
      m_yield(std::move(yield))
{
    setObjectName(QStringLiteral("CaptureSettings"));
    resize(twips(0, 0, 5175, 5295).size());
    buildLayout();
}

QRect CaptureSettings::twips(double left, double top, double width, double height) const
{
    return pxRect(left, top, width, height, m_platform.screen.twipsPerPixel());
}

void CaptureSettings::buildLayout()
{
    Label1 = new QLabel(QStringLiteral("Selected Movie:"), this);
    Label1->setGeometry(twips(120, 360, 1215, 255));
    txtfile = new QLineEdit(this);
    txtfile->setGeometry(twips(1440, 360, 3615, 315));
    txtfile->setReadOnly(true);
    buttonFaceBackground(txtfile);

    Label6 = new QLabel(QStringLiteral("Output &Directory:"), this);
    Label6->setGeometry(twips(120, 840, 1215, 255));
    txtout = new QLineEdit(this);
    txtout->setGeometry(twips(1440, 840, 3255, 330));
    buttonFaceBackground(txtout);
    Label6->setBuddy(txtout);
    cmddir = new QPushButton(QStringLiteral("..."), this);
    cmddir->setGeometry(twips(4800, 840, 255, 375));
    cmddir->setToolTip(QStringLiteral("Open Directory List"));

    Label7 = new QLabel(QStringLiteral("Output T&ype:"), this);
    Label7->setGeometry(twips(120, 1320, 975, 255));
    lsttypes = new QListWidget(this);
    lsttypes->setGeometry(twips(1440, 1320, 3615, 450));
    for (const ImageFormatInfo& type : imageFormats())
        lsttypes->addItem(type.description);
    lsttypes->setCurrentRow(0);
    Label7->setBuddy(lsttypes);

    Option1 = new QRadioButton(
        QStringLiteral("Full Video Capture (Captures all the frames in the video)"), this);
    Option1->setGeometry(twips(120, 1800, 4215, 495));
    Option1->setChecked(true);
    Option2 = new QRadioButton(
        QStringLiteral("Fro&m To Capture (Captures the frames inside the selected region) "), this);
    Option2->setGeometry(twips(120, 2280, 4935, 375));

    lblfrom = new QLabel(QStringLiteral("From"), this);
    lblfrom->setGeometry(twips(360, 2640, 345, 195));
    lblfrom->setEnabled(false);
    sldfrom = rangeSlider(this);
    sldfrom->setGeometry(twips(360, 2880, 4485, 435));
    lblto = new QLabel(QStringLiteral("To"), this);
    lblto->setGeometry(twips(360, 3360, 195, 195));
    lblto->setEnabled(false);
    sldto = rangeSlider(this);
    sldto->setGeometry(twips(360, 3600, 4485, 435));

    Label2 = new QLabel(QStringLiteral("Capturing Frame: "), this);
    Label2->setGeometry(twips(120, 4080, 4845, 195));
    Label2->setEnabled(false);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setGeometry(twips(120, 4320, 4890, 375));
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setValue(0);

    cmdbulkcapture = new QPushButton(QStringLiteral("&Begin Capture"), this);
    cmdbulkcapture->setGeometry(twips(480, 4800, 1575, 375));
    cmdbulkcapture->setToolTip(QStringLiteral("Begin frame capture..."));
    cmdbulkcapture->setEnabled(false);
    cmdcancel = new QPushButton(QStringLiteral("Ca&ncel Capture"), this);
    cmdcancel->setGeometry(twips(3000, 4800, 1575, 375));
    cmdcancel->setToolTip(QStringLiteral("Cancel Capture process"));
    cmdcancel->setEnabled(false);

    connect(cmddir, &QPushButton::clicked, this, &CaptureSettings::cmddir_Click);
    connect(lsttypes, &QListWidget::currentRowChanged, this,
            [this] { m_outputExtension = imageFormatInfo(outputFormat()).extension; });
    connect(Option1, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Option1_Click();
    });
    connect(Option2, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Option2_Click();
    });
    connect(sldfrom, &QSlider::valueChanged, this, &CaptureSettings::sldfrom_Change);
    connect(sldto, &QSlider::valueChanged, this, &CaptureSettings::sldto_Change);
    connect(cmdbulkcapture, &QPushButton::clicked, this, &CaptureSettings::cmdbulkcapture_Click);
    connect(cmdcancel, &QPushButton::clicked, this, &CaptureSettings::cmdcancel_Click);
}

Status CaptureSettings::activatebulk()
{
    // The frames of the picture, not of the sound that may run on after it.
    const Result<CapturePlan> whole = CapturePlan::wholeVideo(m_movie);
    if (!whole)
        return whole.status();
    m_frameCount = whole.value().frameCount();

    m_cancelCapture = false;
    m_state.positionHeld = true;
    txtfile->setText(m_state.loadedFile);
    if (!DirExists(txtout->text()))
        txtout->setText(m_host.defaultOutputFolder() + QLatin1Char('/'));
    m_outputExtension = imageFormatInfo(outputFormat()).extension;

    // Narrowing the ranges may move the values, and the change handlers run in between.
    sldfrom->setMinimum(0);
    sldfrom->setMaximum(std::max(lastFrame() - 1, 0));
    sldto->setMaximum(std::max(lastFrame(), 1));
    // A change handler's move of the position slider may have cleared it.
    m_state.positionHeld = true;

    ProgressBar1->setMinimum(0);
    ProgressBar1->setMaximum(lastFrame());
    ProgressBar1->setValue(0);
    return {};
}

ImageFormat CaptureSettings::outputFormat() const
{
    const int row = lsttypes->currentRow();
    return row < 0 ? ImageFormat::Bmp : imageFormats()[static_cast<std::size_t>(row)].format;
}

void CaptureSettings::Option1_Click()
{
    lblfrom->setEnabled(false);
    lblto->setEnabled(false);
    sldfrom->setEnabled(false);
    sldto->setEnabled(false);
}

void CaptureSettings::Option2_Click()
{
    lblfrom->setEnabled(true);
    lblto->setEnabled(true);
    sldfrom->setEnabled(true);
    sldto->setEnabled(true);
    sldto->setMinimum(sldfrom->value() + 1);
    sldto->setMaximum(std::max(lastFrame(), 1));
}

void CaptureSettings::showFrame(int frame)
{
    const Result<double> timePerFrame = m_movie.GetTimePerFrame();
    if (!timePerFrame)
        return;  // no video, nothing to show
    m_host.setSlider1Value(roundToInt32Clamped(frame * timePerFrame.value()));
    m_host.Slider1_Click();
}

void CaptureSettings::sldfrom_Change(int from)
{
    sldto->setEnabled(true);
    showFrame(from);
    setFittingText(lblfrom, QStringLiteral("From %1").arg(from));
    if (from == sldfrom->maximum()) {
        sldto->setValue(sldto->maximum());
        sldto->setEnabled(false);
    } else {
        // Pushes To up when it stood at or below From.
        sldto->setMinimum(from + 1);
    }
    setFittingText(lblto, QStringLiteral("To %1").arg(sldto->value()));
}

void CaptureSettings::sldto_Change(int to)
{
    showFrame(to);
    setFittingText(lblto, QStringLiteral("To %1").arg(to));
}

void CaptureSettings::cmddir_Click()
{
    frmdir::open(m_host.mainWindow(), m_platform, txtout);
}

void CaptureSettings::setOptions(const CaptureOptions& options)
{
    m_options = options;
    (void)m_movie.SetToneMapping(!options.keepHdr);  // fails only for a video-less file
    (void)m_movie.SetDeinterlace(options.deinterlace);  // likewise
    m_host.showFrameReadout();
}

void CaptureSettings::cmdoptions_Click()
{
    const QString source = m_state.loadedFile.isEmpty()
                               ? QStringLiteral("video")
                               : QFileInfo(m_state.loadedFile).completeBaseName();
    CaptureOptionsDialog::open(m_host.mainWindow(), m_platform.screen, m_options, source,
                               imageFormatInfo(outputFormat()).extension,
                               [settings = QPointer(this)](const CaptureOptions& chosen) {
                                   if (settings)
                                       settings->setOptions(chosen);
                               });
}

}  // namespace kadrel
