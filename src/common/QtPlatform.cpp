#include "common/QtPlatform.h"

#include <QCursor>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>

namespace kadrel {

void QtMessageBox::show(QWidget* parent, const QString& text, const QString& title,
                        MessageIcon icon)
{
    static constexpr QMessageBox::Icon kIcons[] = {
        QMessageBox::NoIcon, QMessageBox::Information, QMessageBox::Warning,
        QMessageBox::Critical, QMessageBox::Question};
    QMessageBox box(kIcons[static_cast<int>(icon)], title, text, QMessageBox::Ok, parent);
    box.exec();
}

namespace {

// Asks before accepting the name of a file that does not exist yet.
class PromptingFileDialog final : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override
    {
        const QStringList files = selectedFiles();
        if (!files.isEmpty()) {
            const QFileInfo chosen(files.first());
            if (!chosen.exists()) {
                const auto answer = QMessageBox::question(
                    this, windowTitle(),
                    QStringLiteral("%1\nThis file does not exist.\nDo you want to create it?")
                        .arg(chosen.fileName()));
                if (answer != QMessageBox::Yes)
                    return;
            }
        }
        QFileDialog::accept();
    }
};

}  // namespace

QString QtFileDialog::exec(QWidget* owner, const FileDialogRequest& request)
{
    PromptingFileDialog dialog(owner, request.title, request.initialFolder);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // The display texts already name their patterns.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(request.nameFilters);
    if (!request.nameFilters.isEmpty())
        dialog.selectNameFilter(request.nameFilters.first());
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.proposedName.isEmpty())
        dialog.selectFile(request.proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

Status QtShell::open(const QString& address)
{
    constexpr int kNoOpener = 3001;
    constexpr int kOpenerFailed = 3002;
    const QUrl url = QFileInfo::exists(address) ? QUrl::fromLocalFile(address)
                                                : QUrl::fromUserInput(address);
    if (QDesktopServices::openUrl(url))
        return {};
    // Qt finds the desktop's program through xdg-open first, then through a few browsers.
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty())
        return Status::failure(kNoOpener, QStringLiteral("No program to open it was found "
                                                         "(xdg-open, of xdg-utils, is missing)"));
    return Status::failure(kOpenerFailed,
                           QStringLiteral("The program that opens it could not be started"));
}

QtSettingsStore::QtSettingsStore()
    : m_settings(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                             QStringLiteral("Kadrel"), QStringLiteral("Kadrel")))
{
}

QtSettingsStore::QtSettingsStore(const QString& iniFile)
    : m_settings(std::make_unique<QSettings>(iniFile, QSettings::IniFormat))
{
}

QtSettingsStore::~QtSettingsStore() = default;

QString QtSettingsStore::value(const QString& section, const QString& key,
                               const QString& fallback) const
{
    return m_settings->value(section + QLatin1Char('/') + key, fallback).toString();
}

void QtSettingsStore::setValue(const QString& section, const QString& key, const QString& value)
{
    m_settings->setValue(section + QLatin1Char('/') + key, value);
    m_settings->sync();
}

QSize QtScreenMetrics::sizePixels() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(1024, 768);
}

TwipsPerPixel QtScreenMetrics::twipsPerPixel() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    return {twipsPerPixelForDpi(screen->logicalDotsPerInchX()),
            twipsPerPixelForDpi(screen->logicalDotsPerInchY())};
}

QPoint QtCursor::pos() const
{
    return QCursor::pos();
}

SteadyTickClock::SteadyTickClock()
{
    m_timer.start();
}

std::uint32_t SteadyTickClock::tickCount() const
{
    return static_cast<std::uint32_t>(m_timer.elapsed());
}

QtPlatform::QtPlatform()
    : m_platform{m_messageBox, m_fileDialog, m_shell, m_settings, m_screen, m_cursor, m_clock}
{
}

}  // namespace kadrel
