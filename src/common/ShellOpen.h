#pragma once
// Opening a document or web address with the desktop's program for it, telling the user when
// that cannot be done (no such program, or it would not start).

#include "common/Platform.h"

namespace kadrel {

// Asks the shell to open address; a failure is reported as below.
void openWithShell(ShellService& shell, MessageBoxService& messageBox, QWidget* parent,
                   const QString& address);
// A message box over parent titled "Kadrel" with the address and the reason.
void reportShellFailure(MessageBoxService& messageBox, QWidget* parent, const QString& address,
                        const Status& failure);

}  // namespace kadrel
