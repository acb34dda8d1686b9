#pragma once
// The Open/Save dialog wrapper and the small path and file-system helpers.
// Paths use '/' as separator; '*' and '?' are ordinary file-name characters.

#include "common/Platform.h"

#include <QString>

class QWidget;

namespace kadrel {

inline const QString kAppTitle = QStringLiteral("Kadrel");

// Longest proposed file name the dialog accepts.
inline constexpr int kMaxProposedName = 260;
// A dialog that returns sooner than this was refused by the desktop and is shown again.
inline constexpr std::uint32_t kRefusedDialogMs = 20;

// Turns "Text|*.a;*.b|All|*.*|" into the dialog's filters "Text (*.a *.b)", "All (*)".
QStringList ConvertFilter(const QString& filter);

// Asks for a file name; the chosen full path, or the empty string when nothing was chosen.
// The owner is disabled while the dialog is up.
QString FileDialog(Platform& platform, QWidget* owner, bool save, const QString& title,
                   const QString& filter, const QString& proposedName,
                   const QString& defaultExtension = {}, const QString& initialFolder = {});

// The folder part (up to and including the last separator) or the file-name part of a path.
QString ExtractPathPart(const QString& path, bool folder);

// True for an existing entry that is not a folder, whatever its permissions.
bool FileExists(const QString& path);
// True for an existing folder, given with or without its trailing separator.
bool DirExists(const QString& path);
// Appends the separator to a non-empty path that does not end with one.
void AddBackslash(QString& path);
// Creates every missing folder of the path, outermost first. Reports a failure itself in a
// message box and returns whether the folder exists at the end.
bool CreatePath(Platform& platform, const QString& path);

}  // namespace kadrel
