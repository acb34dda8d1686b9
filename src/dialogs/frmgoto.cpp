#include "dialogs/frmgoto.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kadrel {

frmgoto::frmgoto(QWidget* owner, Platform& platform, const QString& current, Land land)
    : DialogWindow(platform.screen, Qt::Dialog), m_platform(platform), m_land(std::move(land))
{
    setWindowTitle(QStringLiteral("Go To"));
    setClientTwips(3990, 1320);
    Label1 = new QLabel(QStringLiteral("&Frame number or time (1:02.5):"), this);
    Label1->setGeometry(twips(120, 120, 3750, 255));
    txtentry = new QLineEdit(current, this);
    txtentry->setGeometry(twips(120, 420, 3750, 315));
    txtentry->selectAll();
    Label1->setBuddy(txtentry);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setGeometry(twips(1500, 855, 1125, 375));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setGeometry(twips(2745, 855, 1125, 375));
    connect(cmdOK, &QPushButton::clicked, this, &frmgoto::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmgoto::unload);
    holdOwner(owner);
    if (owner)
        move(owner->frameGeometry().center() - rect().center());
}

frmgoto* frmgoto::open(QWidget* owner, Platform& platform, const QString& current, Land land)
{
    auto* box = new frmgoto(owner, platform, current, std::move(land));
    box->show();
    box->txtentry->setFocus();
    return box;
}

void frmgoto::cmdOK_Click()
{
    const Status landed = m_land(txtentry->text());
    if (landed) {
        unload();
        return;
    }
    m_platform.messageBox.show(this, landed.text(), windowTitle(), MessageIcon::Exclamation);
    txtentry->setFocus();
    txtentry->selectAll();
}

}  // namespace kadrel
