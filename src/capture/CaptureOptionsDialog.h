#pragma once
// Capture Options: which frames a bulk run writes, the template of their file names (with an
// example of the name one frame gets), the manifest beside them, Keep HDR, the frame's facts,
// 16-bit PNG and Deinterlace. OK hands the choices to the main window (Keep HDR and Deinterlace
// apply to the picture on show at once); Cancel, Esc
// and the close box change nothing. A template that is refused shows why in place of the
// example, and OK is off until it is mended.

#include "capture/CaptureOptions.h"
#include "dialogs/DialogWindow.h"

#include <functional>
#include <utility>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace kadrel {

class CaptureOptionsDialog final : public DialogWindow {
    Q_OBJECT

public:
    using Accept = std::function<void(const CaptureOptions&)>;

    // Disables the owner; the dialog opens over it showing options. The example names a file
    // of source (the video's name without extension) with extension (".bmp").
    CaptureOptionsDialog(QWidget* owner, ScreenMetrics& screen, const CaptureOptions& options,
                         const QString& source, const QString& extension, Accept accept);
    static CaptureOptionsDialog* open(QWidget* owner, ScreenMetrics& screen,
                                      const CaptureOptions& options, const QString& source,
                                      const QString& extension, Accept accept);

    // The options as the controls show them.
    CaptureOptions options() const;
    void cmdOK_Click();

    QRadioButton* optall = nullptr;
    QRadioButton* optevery = nullptr;
    QSpinBox* spnevery = nullptr;
    QRadioButton* optpersecond = nullptr;
    QDoubleSpinBox* spnpersecond = nullptr;
    QRadioButton* optkeyframes = nullptr;
    QRadioButton* optscenes = nullptr;
    QDoubleSpinBox* spnthreshold = nullptr;
    QDoubleSpinBox* spnmingap = nullptr;
    QLineEdit* txtnames = nullptr;
    QLabel* lblexample = nullptr;
    QComboBox* cbomanifest = nullptr;
    QCheckBox* chkkeephdr = nullptr;
    QCheckBox* chkmetadata = nullptr;
    QCheckBox* chkpngdepth16 = nullptr;
    QCheckBox* chkdeinterlace = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    void buildFrameChoices();
    void buildNames();
    void showOptions(const CaptureOptions& options);
    // Only the chosen kind's values respond.
    void kindChanged();
    void namesChanged();

    QString m_source;
    QString m_extension;
    Accept m_accept;
    QButtonGroup* m_kinds = nullptr;
    // The values of each kind and their captions.
    std::vector<std::pair<FrameSelection::Kind, QWidget*>> m_fields;
};

}  // namespace kadrel
