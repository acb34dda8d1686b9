#pragma once
// The services the program takes from the desktop, behind small interfaces so that tests can
// replace them with recorders: message boxes, the Open/Save dialog, the shell, the settings
// store, the screen's metrics, the cursor and the millisecond tick counter.

#include "common/Status.h"
#include "common/Twips.h"

#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>

#include <cstdint>

class QWidget;

namespace kadrel {

enum class MessageIcon { None, Information, Exclamation, Critical, Question };

class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    // A modal message with an OK button; returns when the user dismissed it.
    virtual void show(QWidget* parent, const QString& text, const QString& title,
                      MessageIcon icon) = 0;
};

// What the Open/Save dialog is asked to show.
struct FileDialogRequest {
    bool save = false;
    QString title;
    QStringList nameFilters;  // "Text (*.a *.b)", the first one selected
    QString proposedName;     // name or full path shown at first; may be empty
    QString defaultSuffix;    // added to a typed name without extension; may be empty
    QString initialFolder;    // empty: the dialog's own choice
    bool folder = false;      // an existing folder is chosen, not a file
};

class FileDialogService {
public:
    virtual ~FileDialogService() = default;
    // Shows the modal dialog; the chosen full path, or the empty string for cancel.
    virtual QString exec(QWidget* owner, const FileDialogRequest& request) = 0;
};

class ShellService {
public:
    virtual ~ShellService() = default;
    // Opens a document or web address with its default program; never waits for it. Fails
    // when the desktop has no program for it or cannot start that program.
    virtual Status open(const QString& address) = 0;
};

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual QString value(const QString& section, const QString& key,
                          const QString& fallback) const = 0;
    virtual void setValue(const QString& section, const QString& key, const QString& value) = 0;
};

class ScreenMetrics {
public:
    virtual ~ScreenMetrics() = default;
    virtual QSize sizePixels() const = 0;
    virtual TwipsPerPixel twipsPerPixel() const = 0;
    // Screen width and height in twips.
    double widthTwips() const { return sizePixels().width() * twipsPerPixel().x; }
    double heightTwips() const { return sizePixels().height() * twipsPerPixel().y; }
};

class CursorService {
public:
    virtual ~CursorService() = default;
    virtual QPoint pos() const = 0;  // screen pixels
};

class TickClock {
public:
    virtual ~TickClock() = default;
    virtual std::uint32_t tickCount() const = 0;  // milliseconds, wrapping
};

// The set of services one run of the program (or one test) uses.
struct Platform {
    MessageBoxService& messageBox;
    FileDialogService& fileDialog;
    ShellService& shell;
    SettingsStore& settings;
    ScreenMetrics& screen;
    CursorService& cursor;
    TickClock& clock;
};

}  // namespace kadrel
