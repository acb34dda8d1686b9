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
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>

namespace kadrel {

namespace {

QMargins frameOf(const QWidget* window)
{
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

// Qt centres a box on its parent, which may stand at the screen's edge or beyond: the box is
// moved inside the screen's free area, its frame included, the title bar first.
class ScreenKeptMessageBox final : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* event) override
    {
        QMessageBox::showEvent(event);
        const QRect area = screen()->availableGeometry();
        // Before the window manager has framed the box, its parent's frame is the best guess.
        QMargins frame = frameOf(this);
        if (frame.isNull() && parentWidget())
            frame = frameOf(parentWidget()->window());
        const QRect outer = geometry() + frame;
        const int dx =
            std::max(area.left() - outer.left(), std::min(0, area.right() - outer.right()));
        const int dy =
            std::max(area.top() - outer.top(), std::min(0, area.bottom() - outer.bottom()));
        if (dx != 0 || dy != 0)
            move(pos() + QPoint(dx, dy));
    }
};

}  // namespace

void QtMessageBox::show(QWidget* parent, const QString& text, const QString& title,
                        MessageIcon icon)
{
    build(parent, text, title, icon)->exec();
}

std::unique_ptr<QMessageBox> QtMessageBox::build(QWidget* parent, const QString& text,
                                                 const QString& title, MessageIcon icon)
{
    static constexpr QMessageBox::Icon kIcons[] = {
        QMessageBox::NoIcon, QMessageBox::Information, QMessageBox::Warning,
        QMessageBox::Critical, QMessageBox::Question};
    constexpr qsizetype kMaxWordChars = 60;
    return std::make_unique<ScreenKeptMessageBox>(kIcons[static_cast<int>(icon)], title,
                                                  breakLongWords(text, kMaxWordChars),
                                                  QMessageBox::Ok, parent);
}

namespace {

QString breakWord(QString word, qsizetype maxChars)
{
    QStringList lines;
    while (word.size() > maxChars) {
        // After the last separator that leaves at least half a line, else at the limit.
        qsizetype cut = 0;
        for (const QChar separator : {QLatin1Char('/'), QLatin1Char('\\')})
            cut = std::max(cut, word.lastIndexOf(separator, maxChars - 1) + 1);
        if (cut < maxChars / 2)
            cut = maxChars;
        lines << word.left(cut);
        word.remove(0, cut);
    }
    lines << word;
    return lines.join(QLatin1Char('\n'));
}

}  // namespace

QString breakLongWords(const QString& text, qsizetype maxChars)
{
    static const QRegularExpression word(QStringLiteral("\\S+"));
    QString broken;
    qsizetype done = 0;
    for (auto words = word.globalMatch(text); words.hasNext();) {
        const QRegularExpressionMatch match = words.next();
        broken += text.mid(done, match.capturedStart() - done);
        broken += breakWord(match.captured(), maxChars);
        done = match.capturedEnd();
    }
    return broken + text.mid(done);
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
    dialog.setFileMode(request.folder ? QFileDialog::Directory : QFileDialog::AnyFile);
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
