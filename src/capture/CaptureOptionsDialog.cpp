#include "capture/CaptureOptionsDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include <climits>

namespace kadrel {

namespace {

using Kind = FrameSelection::Kind;

// The example's frame: 12, at 25 frames per second.
constexpr std::int32_t kSampleFrame = 12;
constexpr double kSampleTime = 0.48;

QDoubleSpinBox* decimalBox(QWidget* parent, double low, double high, double step)
{
    auto* box = new QDoubleSpinBox(parent);
    box->setDecimals(2);
    box->setRange(low, high);
    box->setSingleStep(step);
    return box;
}

}  // namespace

CaptureOptionsDialog::CaptureOptionsDialog(QWidget* owner, ScreenMetrics& screen,
                                           const CaptureOptions& options, const QString& source,
                                           const QString& extension, Accept accept)
    : DialogWindow(screen, Qt::Dialog), m_source(source), m_extension(extension),
      m_accept(std::move(accept))
{
    setWindowTitle(QStringLiteral("Capture Options"));
    setClientTwips(5760, 6270);
    buildFrameChoices();
    buildNames();
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setGeometry(twips(3270, 5775, 1125, 375));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setGeometry(twips(4515, 5775, 1125, 375));
    connect(cmdOK, &QPushButton::clicked, this, &CaptureOptionsDialog::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &CaptureOptionsDialog::unload);
    showOptions(options);
    holdOwner(owner);
    if (owner)
        move(owner->frameGeometry().center() - rect().center());
}

CaptureOptionsDialog* CaptureOptionsDialog::open(QWidget* owner, ScreenMetrics& screen,
                                                 const CaptureOptions& options,
                                                 const QString& source, const QString& extension,
                                                 Accept accept)
{
    auto* box =
        new CaptureOptionsDialog(owner, screen, options, source, extension, std::move(accept));
    box->show();
    box->m_kinds->checkedButton()->setFocus();
    return box;
}

void CaptureOptionsDialog::buildFrameChoices()
{
    auto* frames = new QGroupBox(QStringLiteral("Which frames"), this);
    frames->setGeometry(twips(120, 120, 5520, 2415));
    m_kinds = new QButtonGroup(this);
    const auto choice = [&](const QString& caption, Kind kind, double top) {
        auto* option = new QRadioButton(caption, frames);
        option->setGeometry(twips(240, top, 1800, 255));
        m_kinds->addButton(option, static_cast<int>(kind));
        return option;
    };
    // A value of kind, with its caption, on the row at top.
    const auto field = [&]<typename Box>(Box* box, Kind kind, const QString& caption, double top) {
        auto* label = new QLabel(caption, frames);
        label->setGeometry(twips(2100, top + 30, 1560, 255));
        label->setBuddy(box);
        box->setGeometry(twips(3720, top, 1560, 315));
        m_fields.insert(m_fields.end(), {{kind, label}, {kind, box}});
        return box;
    };
    optall = choice(QStringLiteral("&All frames"), Kind::All, 300);
    optevery = choice(QStringLiteral("&Every Nth frame"), Kind::EveryNth, 630);
    spnevery = field(new QSpinBox(frames), Kind::EveryNth, QStringLiteral("N:"), 600);
    spnevery->setRange(1, INT32_MAX);
    optpersecond = choice(QStringLiteral("Frames &per second"), Kind::PerSecond, 960);
    spnpersecond = field(decimalBox(frames, kMinPerSecond, kMaxPerSecond, 1.0), Kind::PerSecond,
                         QStringLiteral("R:"), 930);
    optkeyframes = choice(QStringLiteral("&Keyframes only"), Kind::Keyframes, 1290);
    optscenes = choice(QStringLiteral("&Scene changes"), Kind::Scenes, 1620);
    spnthreshold = field(decimalBox(frames, 0.0, 1.0, 0.05), Kind::Scenes,
                         QStringLiteral("&Threshold:"), 1590);
    spnmingap = field(decimalBox(frames, 0.0, kMaxMinGap, 1.0), Kind::Scenes,
                      QStringLiteral("Minimum &gap (s):"), 1920);
    connect(m_kinds, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (on)
            kindChanged();
    });
}

void CaptureOptionsDialog::buildNames()
{
    auto* namesLabel = new QLabel(QStringLiteral("File &names:"), this);
    namesLabel->setGeometry(twips(120, 2700, 1215, 255));
    txtnames = new QLineEdit(this);
    txtnames->setGeometry(twips(1440, 2655, 4200, 315));
    namesLabel->setBuddy(txtnames);
    lblexample = new QLabel(this);
    lblexample->setGeometry(twips(1440, 3030, 4200, 435));
    lblexample->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblexample->setWordWrap(true);
    auto* fields = new QLabel(
        QStringLiteral("{n} number, {n:06} zero-padded, {time} its time, {src} video name"),
        this);
    fields->setGeometry(twips(120, 3510, 5520, 255));
    connect(txtnames, &QLineEdit::textChanged, this, &CaptureOptionsDialog::namesChanged);

    auto* manifestLabel = new QLabel(QStringLiteral("&Manifest:"), this);
    manifestLabel->setGeometry(twips(120, 3900, 1215, 255));
    cbomanifest = new QComboBox(this);
    cbomanifest->setGeometry(twips(1440, 3855, 2880, 315));
    cbomanifest->addItem(QStringLiteral("None"), static_cast<int>(ManifestKind::None));
    cbomanifest->addItem(QStringLiteral("CSV (manifest.csv)"), static_cast<int>(ManifestKind::Csv));
    cbomanifest->addItem(QStringLiteral("JSON lines (manifest.jsonl)"),
                         static_cast<int>(ManifestKind::JsonLines));
    manifestLabel->setBuddy(cbomanifest);
    chkkeephdr = new QCheckBox(QStringLiteral("Keep &HDR (no tone mapping)"), this);
    chkkeephdr->setGeometry(twips(120, 4290, 5520, 285));
    chkmetadata = new QCheckBox(QStringLiteral("&Write the frame's facts into each file"), this);
    chkmetadata->setGeometry(twips(120, 4635, 5520, 285));
    chkpngdepth16 =
        new QCheckBox(QStringLiteral("&16-bit PNG (for sources deeper than 8 bits)"), this);
    chkpngdepth16->setGeometry(twips(120, 4980, 5520, 285));
    chkdeinterlace = new QCheckBox(QStringLiteral("&Deinterlace interlaced video"), this);
    chkdeinterlace->setGeometry(twips(120, 5325, 5520, 285));
}

void CaptureOptionsDialog::showOptions(const CaptureOptions& options)
{
    const FrameSelection& s = options.selection;
    m_kinds->button(static_cast<int>(s.kind))->setChecked(true);
    spnevery->setValue(s.every);
    spnpersecond->setValue(s.perSecond);
    spnthreshold->setValue(s.sceneThreshold);
    spnmingap->setValue(s.minGap);
    txtnames->setText(options.nameTemplate);
    cbomanifest->setCurrentIndex(cbomanifest->findData(static_cast<int>(options.manifest)));
    chkkeephdr->setChecked(options.keepHdr);
    chkmetadata->setChecked(options.metadata);
    chkpngdepth16->setChecked(options.pngDepth16);
    chkdeinterlace->setChecked(options.deinterlace);
    kindChanged();
    namesChanged();
}

CaptureOptions CaptureOptionsDialog::options() const
{
    CaptureOptions options;
    FrameSelection& s = options.selection;
    s.kind = static_cast<Kind>(m_kinds->checkedId());
    s.every = spnevery->value();
    s.perSecond = spnpersecond->value();
    s.sceneThreshold = spnthreshold->value();
    s.minGap = spnmingap->value();
    options.nameTemplate = txtnames->text();
    options.manifest = static_cast<ManifestKind>(cbomanifest->currentData().toInt());
    options.keepHdr = chkkeephdr->isChecked();
    options.metadata = chkmetadata->isChecked();
    options.pngDepth16 = chkpngdepth16->isChecked();
    options.deinterlace = chkdeinterlace->isChecked();
    return options;
}

void CaptureOptionsDialog::kindChanged()
{
    const auto chosen = static_cast<Kind>(m_kinds->checkedId());
    for (const auto& [kind, control] : m_fields)
        control->setEnabled(kind == chosen);
}

void CaptureOptionsDialog::namesChanged()
{
    const Result<NameTemplate> names = NameTemplate::parse(txtnames->text());
    cmdOK->setEnabled(names.ok());
    lblexample->setText(
        names ? QStringLiteral("Example: %1")
                    .arg(names.value().fileName(kSampleFrame, kSampleTime, m_source, m_extension))
              : names.status().description());
}

void CaptureOptionsDialog::cmdOK_Click()
{
    m_accept(options());
    unload();
}

}  // namespace kadrel
