#include "dialogs/frmAbout.h"

#include "common/ShellOpen.h"
#include "dialogs/Artwork.h"
#include "dialogs/HomePage.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <functional>

namespace kadrel {

namespace {

constexpr int kClientWidth = 5895;
constexpr int kClientHeight = 3255;
// The link comes in whole, its right end this far inside the box's right edge, so that no
// part of it is ever cut off there.
constexpr int kLinkMargin = 135;
constexpr int kLinkTop = 1800;
// 23 characters of 120 twips in the link's fixed-pitch font, at least: wider when the
// desktop's font is.
constexpr int kLinkWidth = 2760;
constexpr int kLinkHeight = 240;
constexpr int kLinkStep = 120;

// A label that takes its clicks for itself instead of passing them to the window.
class LinkLabel final : public QLabel {
public:
    LinkLabel(const QString& text, QWidget* parent, std::function<void()> onClick)
        : QLabel(text, parent), m_onClick(std::move(onClick))
    {
    }

protected:
    void mousePressEvent(QMouseEvent* event) override { event->accept(); }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            m_onClick();
    }

private:
    std::function<void()> m_onClick;
};

QLabel* textLabel(const QString& text, const QFont& font, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    return label;
}

}  // namespace

frmAbout::frmAbout(QWidget* owner, ShellService& shell, MessageBoxService& messageBox,
                   ScreenMetrics& screen)
    : DialogWindow(screen, Qt::Dialog | Qt::FramelessWindowHint),
      m_shell(shell),
      m_messageBox(messageBox),
      m_linkLeft(0),
      m_linkWidth(kLinkWidth)
{
    buildLayout();
    Form_Load(owner);
}

frmAbout* frmAbout::open(QWidget* owner, ShellService& shell, MessageBoxService& messageBox,
                         ScreenMetrics& screen)
{
    auto* about = new frmAbout(owner, shell, messageBox, screen);
    about->show();
    return about;
}

void frmAbout::buildLayout()
{
    setWindowTitle(QStringLiteral("About Tessaravelt(Home Edition)"));
    setClientTwips(kClientWidth, kClientHeight);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    setPalette(white);
    setAutoFillBackground(true);

    const QRect banner = twips(840, 120, 4035, 1065);
    Image1 = new QLabel(this);
    Image1->setGeometry(banner);
    Image1->setPixmap(aboutBanner(banner.size()));

    Label1 = textLabel(QStringLiteral("Version: " KADREL_VERSION), sansFont(9.75), this);
    Label1->setGeometry(twips(240, 1200, 2775, 255));

    const QFont courier = fixedPitchFont(9.75);
    Label2 = textLabel(QStringLiteral("Copyright (C) Kadrel. All rights reserved."), courier, this);
    Label2->setGeometry(twips(240, 1560, 5535, 255));

    Label3 = new LinkLabel(QStringLiteral("Visit Kadrel Home Page!"), this, [this] { Label3_Click(); });
    Label3->setFont(courier);
    QPalette blue = Label3->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    Label3->setPalette(blue);
    Label3->setCursor(Qt::PointingHandCursor);
    // Sized to its text, so that none of it is cut off.
    m_linkWidth = std::max(kLinkWidth, static_cast<int>(std::ceil(Label3->sizeHint().width()
                                                                   * twipsPerPixel().x)));
    m_linkLeft = linkStart();
    placeLink();

    lblDisclaimer = textLabel(
        QStringLiteral("Warning: this program is protected by copyright. Copying or passing it "
                       "on, in whole or in part, without its owner's leave is not allowed."),
        courier, this);
    lblDisclaimer->setGeometry(twips(120, 2160, 5655, 1065));
    lblDisclaimer->setWordWrap(true);
    lblDisclaimer->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Timer1 = new QTimer(this);
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, &frmAbout::Timer1_Timer);
}

void frmAbout::Form_Load(QWidget* owner)
{
    holdOwner(owner);
    if (owner)
        move(owner->frameGeometry().center() - rect().center());
    Timer1->start();
}

void frmAbout::Timer1_Timer()
{
    // Right to left; once wholly past the left edge it comes in again, whole, at the right.
    if (m_linkLeft > -m_linkWidth)
        m_linkLeft -= kLinkStep;
    else
        m_linkLeft = linkStart();
    placeLink();
}

int frmAbout::linkStart() const
{
    return kClientWidth - kLinkMargin - m_linkWidth;
}

void frmAbout::placeLink()
{
    QRect link = twips(m_linkLeft, kLinkTop, m_linkWidth, kLinkHeight);
    link.setHeight(std::max(link.height(), Label3->sizeHint().height()));
    Label3->setGeometry(link);
}

void frmAbout::Form_Click()
{
    unload();
}

void frmAbout::Label3_Click()
{
    // The box closes whatever the shell made of the request; a failure is told over the
    // main window.
    const Status opened = m_shell.open(kHomePage);
    QWidget* mainWindow = owner();
    unload();
    if (!opened)
        reportShellFailure(m_messageBox, mainWindow, kHomePage, opened);
}

void frmAbout::mousePressEvent(QMouseEvent* event)
{
    event->accept();
}

void frmAbout::mouseReleaseEvent(QMouseEvent* event)
{
    // The picture, the labels, the frame and the lines pass their clicks on to here.
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Form_Click();
}

void frmAbout::paintEvent(QPaintEvent* event)
{
    DialogWindow::paintEvent(event);
    QPainter p(this);
    p.setPen(QColor(128, 128, 128));
    p.drawLine(twipsPoint(0, 2040), twipsPoint(5880, 2040));
    p.setPen(Qt::white);
    p.drawLine(twipsPoint(-120, 2280), twipsPoint(5760, 2280));
    p.setPen(Qt::black);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace kadrel
