#pragma once
// Where the program's own files are, and where frames go unless the user says otherwise.

#include <QString>

namespace kadrel {

// The folder of TIPOFDAY.TXT and help.htm for an executable in binFolder: binFolder itself
// when the tip file is there (a build), else the installed data folder (../share/kadrel beside
// bin/) when it exists, else binFolder.
QString programDataFolder(const QString& binFolder);

// The user's Pictures folder when it exists, else the home folder: an installed program's
// own folder is not writable, and is no place for frames.
QString defaultOutputFolder();

}  // namespace kadrel
