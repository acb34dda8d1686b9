#include "dialogs/frmTip.h"

#include "common/mCommon.h"
#include "dialogs/Artwork.h"
#include "dialogs/TipFile.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include <chrono>
#include <cmath>

namespace kadrel {

namespace {

// The white panel with the light bulb in its top-left corner.
class TipPanel final : public QFrame {
public:
    explicit TipPanel(QWidget* parent) : QFrame(parent), m_bulb(tipBulbPicture())
    {
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        setAutoFillBackground(true);
        QPalette white = palette();
        white.setColor(QPalette::Window, Qt::white);
        setPalette(white);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QFrame::paintEvent(event);
        QPainter(this).drawPixmap(contentsRect().topLeft(), m_bulb);
    }

private:
    QPixmap m_bulb;
};

}  // namespace

std::uint32_t systemTimerSeed()
{
    const auto now = std::chrono::system_clock::now().time_since_epoch().count();
    return static_cast<std::uint32_t>(now ^ (now >> 32));
}

int showTipsAtStartup(const SettingsStore& settings)
{
    bool number = false;
    const int value = settings.value(kTipsSection, kTipsKey, QStringLiteral("1")).toInt(&number);
    return number ? value : 1;
}

int tipIndexFor(float r, int count)
{
    return static_cast<int>(std::floor(static_cast<double>(r) * count + 1.0));
}

frmTip::frmTip(const TipSetup& setup)
    : DialogWindow(setup.screen, Qt::Dialog),
      m_loadMainWindow(setup.loadMainWindow),
      m_settings(setup.settings),
      m_programFolder(setup.programFolder.isEmpty() ? QCoreApplication::applicationDirPath()
                                                    : setup.programFolder),
      m_timerSeed(setup.timerSeed)
{
    buildLayout();
}

void frmTip::buildLayout()
{
    setWindowTitle(QStringLiteral("Tip of the Day"));
    setWindowIcon(QIcon(tipBulbPicture()));
    setClientTwips(5415, 3285);
    moveClientTwips(2355, 2265);

    Picture1 = new TipPanel(this);
    Picture1->setGeometry(twips(120, 120, 3735, 2715));
    // Positions inside the panel count from inside its border.
    const QPoint inside(Picture1->frameWidth(), Picture1->frameWidth());

    Label1 = new QLabel(QStringLiteral("Did you know..."), Picture1);
    Label1->setGeometry(twips(540, 180, 2655, 255).translated(inside));
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);

    lblTipText = new QLabel(Picture1);
    lblTipText->setGeometry(twips(180, 840, 3255, 1635).translated(inside));
    lblTipText->setWordWrap(true);
    lblTipText->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setGeometry(twips(4080, 120, 1215, 375));
    cmdOK->setDefault(true);

    cmdNextTip = new QPushButton(QStringLiteral("&Next Tip"), this);
    cmdNextTip->setGeometry(twips(4080, 600, 1215, 375));

    chkLoadTipsAtStartup = new QCheckBox(QStringLiteral("&Show Tips at Startup"), this);
    chkLoadTipsAtStartup->setGeometry(twips(120, 2940, 2055, 315));

    setTabOrder(cmdOK, Picture1);
    setTabOrder(Picture1, cmdNextTip);
    setTabOrder(cmdNextTip, chkLoadTipsAtStartup);
    cmdOK->setFocus();

    connect(cmdOK, &QPushButton::clicked, this, &frmTip::cmdOK_Click);
    connect(cmdNextTip, &QPushButton::clicked, this, &frmTip::cmdNextTip_Click);
    // Also raised when the program checks the box, as the setting must follow it then too.
    connect(chkLoadTipsAtStartup, &QCheckBox::toggled, this, &frmTip::chkLoadTipsAtStartup_Click);
}

frmTip* frmTip::load(const TipSetup& setup)
{
    auto* tip = new frmTip(setup);
    if (tip->Form_Load())
        return tip;
    delete tip;
    return nullptr;
}

bool frmTip::Form_Load()
{
    QWidget* mainWindow = m_loadMainWindow();
    holdOwner(mainWindow);
    mainWindow->show();

    if (showTipsAtStartup(m_settings) == 0) {
        unload();
        return false;
    }
    chkLoadTipsAtStartup->setChecked(true);
    m_random.seed(m_timerSeed());

    QString path = m_programFolder;
    AddBackslash(path);
    if (!LoadTips(path + kTipFileName))
        lblTipText->setText(kMissingTipsText);
    return true;
}

bool frmTip::LoadTips(const QString& path)
{
    if (path.isEmpty() || !FileExists(path))
        return false;
    // A file that is there but cannot be read counts as missing.
    const Result<QStringList> tips = readTipFile(path);
    if (!tips)
        return false;
    m_tipList += tips.value();
    ShowRandomTip();
    return true;
}

void frmTip::DisplayCurrentTip()
{
    if (!m_tipList.isEmpty())
        lblTipText->setText(m_tipList.at(m_currentTip - 1));
}

void frmTip::ShowRandomTip()
{
    m_currentTip = tipIndexFor(randomSingle(), static_cast<int>(m_tipList.size()));
    DisplayCurrentTip();
}

float frmTip::randomSingle()
{
    // 24 random bits fill a float's mantissa exactly, so the result never rounds up to 1.
    return static_cast<float>(m_random() >> 8) / 16777216.0f;
}

void frmTip::cmdOK_Click()
{
    unload();
}

void frmTip::cmdNextTip_Click()
{
    ShowRandomTip();
}

void frmTip::chkLoadTipsAtStartup_Click(bool checked)
{
    m_settings.setValue(kTipsSection, kTipsKey, checked ? QStringLiteral("1") : QStringLiteral("0"));
}

void frmTip::reject()
{
    // OK is the cancel button too: Esc presses it.
    cmdOK_Click();
}

frmTip* startThroughTip(const TipSetup& setup)
{
    frmTip* tip = frmTip::load(setup);
    if (tip)
        tip->show();
    return tip;
}

frmTip* openTipOfTheDay(QWidget* mainWindow, const TipSetup& setup)
{
    mainWindow->setEnabled(false);
    setup.settings.setValue(kTipsSection, kTipsKey, QStringLiteral("1"));
    return startThroughTip(setup);
}

}  // namespace kadrel
