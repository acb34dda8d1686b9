#include "dialogs/frminfo.h"

#include "dialogs/MediaFacts.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

#include <algorithm>

namespace kadrel {

namespace {

// A caption set in a wider font than the one the window was laid out for keeps its whole
// text; there is room up to the value column.
QLabel* captionLabel(const QString& text, const QRect& geometry, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(geometry);
    label->resize(std::max(geometry.width(), label->sizeHint().width()), geometry.height());
    return label;
}

QLabel* valueLabel(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setLineWidth(1);
    return label;
}

}  // namespace

frminfo::frminfo(QWidget* owner, ScreenMetrics& screen, const QString& mediaPath,
                 double durationSeconds, const QLocale& locale)
    : DialogWindow(screen, Qt::Dialog)
{
    buildLayout();
    holdOwner(owner);
    // Over the main window, like the other dialogs, rather than at a fixed screen place.
    if (owner)
        move(owner->frameGeometry().center() - rect().center());
    Form_Load(mediaPath, durationSeconds, locale);
}

frminfo* frminfo::open(QWidget* owner, ScreenMetrics& screen, const QString& mediaPath,
                       double durationSeconds)
{
    auto* info = new frminfo(owner, screen, mediaPath, durationSeconds);
    info->show();
    return info;
}

void frminfo::buildLayout()
{
    setWindowTitle(QStringLiteral("Media info..."));
    setWindowIcon(style()->standardIcon(QStyle::SP_MessageBoxInformation));
    setClientTwips(3990, 1665);

    Label1 = captionLabel(QStringLiteral("File Name :-"), twips(120, 120, 840, 195), this);
    txtfile = new QLineEdit(this);
    txtfile->setGeometry(twips(1200, 120, 2655, 285));
    txtfile->setReadOnly(true);
    QPalette face = txtfile->palette();
    face.setColor(QPalette::Base, face.color(QPalette::Button));
    txtfile->setPalette(face);

    Label2 = captionLabel(QStringLiteral("Total Length :-"), twips(120, 480, 1035, 195), this);
    lbllength = valueLabel(this);
    lbllength->setGeometry(twips(1200, 480, 2655, 255));

    Label3 = captionLabel(QStringLiteral("File Size :-"), twips(120, 840, 720, 195), this);
    lblsize = valueLabel(this);
    lblsize->setGeometry(twips(1200, 840, 2655, 255));

    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setGeometry(twips(120, 1200, 3855, 375));
    cmdOK->setDefault(true);
    cmdOK->setFocus();
    connect(cmdOK, &QPushButton::clicked, this, &frminfo::cmdOK_Click);
}

void frminfo::Form_Load(const QString& mediaPath, double durationSeconds, const QLocale& locale)
{
    txtfile->setText(mediaPath);
    txtfile->setCursorPosition(0);
    lbllength->setText(lengthText(durationSeconds, locale));
    lblsize->setText(sizeText(compressedFileSize(mediaPath)));
}

void frminfo::cmdOK_Click()
{
    unload();
}

}  // namespace kadrel
