#pragma once
// The command line of kadrel-extract:
//   kadrel-extract [-o DIR] [--from N|TIME] [--to M|TIME] [--format bmp|png|jpg|webp]
//                  [--quality Q] [--depth 8|16]
//                  [--every N | --per-second R | --keyframes | --scenes T [--min-gap S]]
//                  [--name TEMPLATE] [--manifest csv|json] [--hdr map|keep] [--metadata]
//                  [--deinterlace] [-q] VIDEO...

#include "capture/CapturePlan.h"
#include "capture/FrameSelection.h"
#include "capture/Manifest.h"
#include "capture/NameTemplate.h"
#include "output/ImageFormat.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace kadrel {

// A --from or --to: a frame number, or a time whose frame is known once the video is open.
struct FramePoint {
    std::int32_t frame = 0;
    std::optional<double> seconds;
    std::int32_t in(const CapturePlan& plan) const;
    QString text() const;
};

struct ExtractOptions {
    QStringList videos;
    QString outputFolder = QStringLiteral(".");
    std::optional<FramePoint> from;  // frame 0 when not given
    std::optional<FramePoint> to;    // included; the video's last frame when not given
    ImageFormat format = ImageFormat::Bmp;
    std::optional<int> quality = std::nullopt;  // the type's default unless given
    FrameSelection selection;
    NameTemplate names;
    ManifestKind manifest = ManifestKind::None;
    bool keepHdr = false;  // HDR pictures as their signal reads, not tone-mapped
    bool metadata = false;  // the frame's facts in each PNG, JPEG and WebP file
    int pngDepth = 8;       // bits a channel: 16 goes with PNG only
    bool deinterlace = false;  // pictures flagged interlaced are deinterlaced
    bool quiet = false;

    // Where a video's files go: the output folder for one video, its own subfolder (named
    // after the video without its extension) for several.
    QString folderFor(const QString& video) const;
};

// What the command line asks for: options to run with, or text to print and an exit status
// (--help and --version: standard output, 0; a usage error: standard error, 2).
struct ParsedCommandLine {
    std::optional<ExtractOptions> options;
    QString text;
    int exitStatus = 0;
};

ParsedCommandLine parseExtractCommandLine(const QStringList& arguments);

// The one-line synopsis and the pointer to --help, for usage errors.
QString extractUsage();

}  // namespace kadrel
