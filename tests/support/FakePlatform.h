#pragma once
// Recorders standing in for the desktop services: nothing a test does waits for a person.

#include "common/Platform.h"

#include <QMap>
#include <QTemporaryDir>
#include <QWidget>

#include <functional>
#include <vector>

namespace kadrel::test {

struct RecordedMessage { QString text, title; MessageIcon icon; };

struct RecordingMessageBox final : MessageBoxService {
    void show(QWidget*, const QString& text, const QString& title, MessageIcon icon) override
    {
        messages.push_back({text, title, icon});
        if (onShow)
            onShow(messages.back());
    }
    std::vector<RecordedMessage> messages;
    // Runs while the box is up, as timers would while the user reads.
    std::function<void(const RecordedMessage&)> onShow;
};

struct RecordedDialog { FileDialogRequest request; bool ownerEnabledDuringDialog = true; };

// Answers with the next queued reply (none or "" = cancel); duringDialog is the user's time.
struct ScriptedFileDialog final : FileDialogService {
    QString exec(QWidget* owner, const FileDialogRequest& request) override
    {
        calls.push_back({request, owner ? owner->isEnabled() : true});
        if (duringDialog)
            duringDialog();
        return replies.isEmpty() ? QString() : replies.takeFirst();
    }
    QStringList replies;
    std::vector<RecordedDialog> calls;
    std::function<void()> duringDialog;
};

struct RecordingShell final : ShellService {
    Status open(const QString& address) override
    {
        opened << address;
        return reply;
    }
    QStringList opened;
    Status reply;
};

struct MemorySettings final : SettingsStore {
    QString value(const QString& section, const QString& key,
                  const QString& fallback) const override
    {
        return values.value(section + u'/' + key, fallback);
    }
    void setValue(const QString& section, const QString& key, const QString& value) override
    {
        values.insert(section + u'/' + key, value);
        writes << section + u'/' + key + u'=' + value;
    }
    QMap<QString, QString> values;  // "section/key" -> value
    QStringList writes;             // "section/key=value", in order
};

struct FixedScreen final : ScreenMetrics {
    QSize sizePixels() const override { return size; }
    TwipsPerPixel twipsPerPixel() const override { return tpp; }
    QSize size{1920, 1080};
    TwipsPerPixel tpp{15.0, 15.0};
};

struct FakeCursor final : CursorService {
    QPoint pos() const override { return position; }
    QPoint position{100, 100};
};

struct ManualClock final : TickClock {
    std::uint32_t tickCount() const override { return ticks; }
    std::uint32_t ticks = 1000;
};

class FakePlatform {
public:
    FakePlatform() : m_platform{messageBox, fileDialog, shell, settings, screen, cursor, clock}
    {
        fileDialog.duringDialog = [this] { clock.ticks += 1000; };
    }
    Platform& platform() { return m_platform; }

    RecordingMessageBox messageBox;
    ScriptedFileDialog fileDialog;
    RecordingShell shell;
    MemorySettings settings;
    FixedScreen screen;
    FakeCursor cursor;
    ManualClock clock;

private:
    Platform m_platform;
};

}  // namespace kadrel::test
