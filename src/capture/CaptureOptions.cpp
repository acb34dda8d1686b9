#include "capture/CaptureOptions.h"

#include "common/Platform.h"

#include <array>
#include <climits>
#include <utility>

namespace kadrel {

namespace {

using Kind = FrameSelection::Kind;

const QString kSelection = QStringLiteral("Selection");
const QString kEvery = QStringLiteral("Every");
const QString kPerSecond = QStringLiteral("PerSecond");
const QString kSceneThreshold = QStringLiteral("SceneThreshold");
const QString kMinGap = QStringLiteral("MinGap");
const QString kNameTemplate = QStringLiteral("NameTemplate");
const QString kManifest = QStringLiteral("Manifest");
const QString kKeepHdr = QStringLiteral("KeepHdr");
const QString kMetadata = QStringLiteral("Metadata");
const QString kPngDepth16 = QStringLiteral("PngDepth16");
const QString kDeinterlace = QStringLiteral("Deinterlace");

constexpr std::array<std::pair<Kind, const char*>, 5> kKindNames{{{Kind::All, "all"},
                                                                 {Kind::EveryNth, "every"},
                                                                 {Kind::PerSecond, "per-second"},
                                                                 {Kind::Keyframes, "keyframes"},
                                                                 {Kind::Scenes, "scenes"}}};
constexpr std::array<std::pair<ManifestKind, const char*>, 3> kManifestNames{
    {{ManifestKind::None, "none"}, {ManifestKind::Csv, "csv"}, {ManifestKind::JsonLines, "json"}}};

template <typename Value, std::size_t size>
QString nameOf(const std::array<std::pair<Value, const char*>, size>& names, Value value)
{
    for (const auto& [each, name] : names)
        if (each == value)
            return QLatin1String(name);
    return {};
}

template <typename Value, std::size_t size>
void restoreNamed(const std::array<std::pair<Value, const char*>, size>& names,
                  const QString& stored, Value& into)
{
    for (const auto& [each, name] : names)
        if (stored == QLatin1String(name))
            into = each;
}

// A stored number from low to high replaces into; anything else leaves it.
template <typename Number>
void restoreNumber(const QString& stored, Number low, Number high, Number& into)
{
    bool number = false;
    const double value = stored.toDouble(&number);
    if (number && value >= low && value <= high && Number(value) == value)
        into = Number(value);
}

}  // namespace

void saveCaptureOptions(const CaptureOptions& options, SettingsStore& settings,
                        const QString& section)
{
    const FrameSelection& s = options.selection;
    settings.setValue(section, kSelection, nameOf(kKindNames, s.kind));
    settings.setValue(section, kEvery, QString::number(s.every));
    settings.setValue(section, kPerSecond, QString::number(s.perSecond, 'g', 12));
    settings.setValue(section, kSceneThreshold, QString::number(s.sceneThreshold, 'g', 12));
    settings.setValue(section, kMinGap, QString::number(s.minGap, 'g', 12));
    settings.setValue(section, kNameTemplate, options.nameTemplate);
    settings.setValue(section, kManifest, nameOf(kManifestNames, options.manifest));
    settings.setValue(section, kKeepHdr, QString::number(int(options.keepHdr)));
    settings.setValue(section, kMetadata, QString::number(int(options.metadata)));
    settings.setValue(section, kPngDepth16, QString::number(int(options.pngDepth16)));
    settings.setValue(section, kDeinterlace, QString::number(int(options.deinterlace)));
}

CaptureOptions restoreCaptureOptions(const SettingsStore& settings, const QString& section)
{
    const auto stored = [&](const QString& key) { return settings.value(section, key, {}); };
    CaptureOptions options;
    FrameSelection& s = options.selection;
    restoreNamed(kKindNames, stored(kSelection), s.kind);
    restoreNumber(stored(kEvery), std::int32_t{1}, std::int32_t{INT32_MAX}, s.every);
    restoreNumber(stored(kPerSecond), kMinPerSecond, kMaxPerSecond, s.perSecond);
    restoreNumber(stored(kSceneThreshold), 0.0, 1.0, s.sceneThreshold);
    restoreNumber(stored(kMinGap), 0.0, kMaxMinGap, s.minGap);
    if (const QString names = stored(kNameTemplate); NameTemplate::parse(names))
        options.nameTemplate = names;
    restoreNamed(kManifestNames, stored(kManifest), options.manifest);
    options.keepHdr = stored(kKeepHdr) == QLatin1String("1");
    options.metadata = stored(kMetadata) == QLatin1String("1");
    options.pngDepth16 = stored(kPngDepth16) == QLatin1String("1");
    options.deinterlace = stored(kDeinterlace) == QLatin1String("1");
    return options;
}

}  // namespace kadrel
