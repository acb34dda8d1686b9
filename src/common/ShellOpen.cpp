#include "common/ShellOpen.h"

#include "common/mCommon.h"

namespace kadrel {

void openWithShell(ShellService& shell, MessageBoxService& messageBox, QWidget* parent,
                   const QString& address)
{
    if (const Status opened = shell.open(address); !opened)
        reportShellFailure(messageBox, parent, address, opened);
}

void reportShellFailure(MessageBoxService& messageBox, QWidget* parent, const QString& address,
                        const Status& failure)
{
    messageBox.show(parent,
                    QStringLiteral("Can not open\n%1\n\n%2").arg(address, failure.text()),
                    kAppTitle, MessageIcon::Critical);
}

}  // namespace kadrel
