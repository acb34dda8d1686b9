#include "common/QtPlatform.h"

#include <QCursor>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
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

// The extension of a filter's last "*.ext" pattern: "png" for "PNG Image (*.png)".
QString filterExtension(const QString& filter)
{
    static const QRegularExpression pattern(QStringLiteral("\\*\\.(\\w+)"));
    QString extension;
    for (const QRegularExpressionMatch& match : pattern.globalMatch(filter))
        extension = match.captured(1);
    return extension;
}

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
    // A name typed without an extension gets the extension of the type chosen in the list.
    if (!request.defaultSuffix.isEmpty()) {
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog](const QString& filter) {
                             const QString suffix = filterExtension(filter);
                             if (!suffix.isEmpty())
                                 dialog.setDefaultSuffix(suffix);
                         });
    }
    if (!request.proposedName.isEmpty())
        dialog.selectFile(request.proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

bool QtShell::open(const QString& address)
{
    const QUrl url = QFileInfo::exists(address) ? QUrl::fromLocalFile(address)
                                                : QUrl::fromUserInput(address);
    return QDesktopServices::openUrl(url);
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
