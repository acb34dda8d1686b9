#pragma once
// The desktop services on Qt.

#include "common/Platform.h"

#include <QElapsedTimer>

#include <memory>

class QMessageBox;
class QSettings;

namespace kadrel {

class QtMessageBox final : public MessageBoxService {
public:
    void show(QWidget* parent, const QString& text, const QString& title,
              MessageIcon icon) override;
    // The box show() runs: long words broken (below), and kept inside the screen when shown.
    static std::unique_ptr<QMessageBox> build(QWidget* parent, const QString& text,
                                              const QString& title, MessageIcon icon);
};

// A message box wraps its text at spaces only, so a long path would make it wider than the
// screen: words longer than maxChars are broken into lines after a path separator, or at
// maxChars where there is none late enough.
QString breakLongWords(const QString& text, qsizetype maxChars);

// Qt's own widget dialog, so it looks the same on every desktop. It asks before creating a
// file that does not exist and before overwriting one that does.
class QtFileDialog final : public FileDialogService {
public:
    QString exec(QWidget* owner, const FileDialogRequest& request) override;
};

class QtShell final : public ShellService {
public:
    Status open(const QString& address) override;
};

// QSettings in INI format, organisation and application "Kadrel"; a file path gives a store
// of its own (tests use one in a temporary folder).
class QtSettingsStore final : public SettingsStore {
public:
    QtSettingsStore();
    explicit QtSettingsStore(const QString& iniFile);
    ~QtSettingsStore() override;
    QString value(const QString& section, const QString& key,
                  const QString& fallback) const override;
    void setValue(const QString& section, const QString& key, const QString& value) override;

private:
    std::unique_ptr<QSettings> m_settings;
};

class QtScreenMetrics final : public ScreenMetrics {
public:
    QSize sizePixels() const override;
    TwipsPerPixel twipsPerPixel() const override;
};

class QtCursor final : public CursorService {
public:
    QPoint pos() const override;
};

class SteadyTickClock final : public TickClock {
public:
    SteadyTickClock();
    std::uint32_t tickCount() const override;

private:
    QElapsedTimer m_timer;
};

// All Qt services together, for the real program.
class QtPlatform {
public:
    QtPlatform();
    Platform& platform() { return m_platform; }

private:
    QtMessageBox m_messageBox;
    QtFileDialog m_fileDialog;
    QtShell m_shell;
    QtSettingsStore m_settings;
    QtScreenMetrics m_screen;
    QtCursor m_cursor;
    SteadyTickClock m_clock;
    Platform m_platform;
};

}  // namespace kadrel
