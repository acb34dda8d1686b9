#pragma once
// The command line of kadrel-extract:
//   kadrel-extract [-o DIR] [--from N] [--to M] [--format bmp|png|jpg] [--quality Q] [-q] VIDEO

#include "output/ImageFormat.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace kadrel {

struct ExtractOptions {
    QString video;
    QString outputFolder = QStringLiteral(".");
    std::optional<int> from;  // first frame; 0 when not given
    std::optional<int> to;    // last frame, included; the video's last when not given
    ImageFormat format = ImageFormat::Bmp;
    int quality = kDefaultJpegQuality;
    bool quiet = false;
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
