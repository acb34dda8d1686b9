#pragma once
// What the main window's bulk runs use besides the range and the output type, chosen in the
// Capture Options dialog and kept with the other preferences: which frames, how the files are
// named, which manifest lists them, whether HDR pictures keep their signal (no tone mapping,
// in the preview too), whether files carry their frame's facts (Save Frame As's too), and
// whether PNG files have 16 bits a channel.
// whether interlaced pictures are deinterlaced (the preview and every save too).

#include "capture/FrameSelection.h"
#include "capture/Manifest.h"
#include "capture/NameTemplate.h"

#include <QString>

namespace kadrel {

class SettingsStore;

struct CaptureOptions {
    FrameSelection selection;
    QString nameTemplate = QString::fromLatin1(NameTemplate::kDefault);
    ManifestKind manifest = ManifestKind::None;
    bool keepHdr = false;
    bool metadata = false;  // PNG, JPEG and WebP files carry their frame's facts
    bool pngDepth16 = false;  // PNG files (Save Frame As's too) at 16 bits a channel
    bool deinterlace = false;
};

// The values the dialog offers; stored values outside them are not taken back.
inline constexpr double kMinPerSecond = 0.01;
inline constexpr double kMaxPerSecond = 1000.0;
inline constexpr double kMaxMinGap = 3600.0;

// Each value under a key of its own in section.
void saveCaptureOptions(const CaptureOptions& options, SettingsStore& settings,
                        const QString& section);
// The stored options; a missing or unusable value gives the default one.
CaptureOptions restoreCaptureOptions(const SettingsStore& settings, const QString& section);

}  // namespace kadrel
