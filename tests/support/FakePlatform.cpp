#include "support/FakePlatform.h"

namespace kadrel::test {

void RecordingMessageBox::show(QWidget*, const QString& text, const QString& title,
                               MessageIcon icon)
{
    messages.push_back({text, title, icon});
    if (onShow)
        onShow(messages.back());
}

QString ScriptedFileDialog::exec(QWidget* owner, const FileDialogRequest& request)
{
    calls.push_back({request, owner ? owner->isEnabled() : true});
    if (duringDialog)
        duringDialog();
    if (replies.empty())
        return {};
    QString reply = replies.front();
    replies.pop_front();
    return reply;
}

QString MemorySettings::value(const QString& section, const QString& key,
                              const QString& fallback) const
{
    return values.value(section + QLatin1Char('/') + key, fallback);
}

void MemorySettings::setValue(const QString& section, const QString& key, const QString& value)
{
    values.insert(section + QLatin1Char('/') + key, value);
    writes << section + QLatin1Char('/') + key + QLatin1Char('=') + value;
}

FakePlatform::FakePlatform()
    : m_platform{messageBox, fileDialog, shell, settings, screen, cursor, clock}
{
    fileDialog.duringDialog = [this] { clock.ticks += 1000; };
}

}  // namespace kadrel::test
