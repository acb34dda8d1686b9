#include "extract/ExtractOptions.h"

#include "capture/FrameNumber.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QRegularExpression>
#include <QHash>

namespace kadrel {

namespace {

constexpr int kUsageError = 2;

ParsedCommandLine usageError(const QString& problem)
{
    return {std::nullopt, QStringLiteral("kadrel-extract: %1\n%2").arg(problem, extractUsage()),
            kUsageError};
}

// A frame number or quality: a whole number from minimum to maximum.
std::optional<int> wholeNumber(const QString& text, int minimum, int maximum)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < minimum || value > maximum)
        return std::nullopt;
    return value;
}

// Why text is no frame number: too large for one, or no whole number from 0 at all.
QString frameNumberProblem(const QString& option, const QString& text)
{
    if (text.contains(QLatin1Char(':')) || text.contains(QLatin1Char('.')))
        return QStringLiteral("--%1: not a time: %2 (times read 62.5, 1:02.5 or 00:01:02.500)")
            .arg(option, text);
    bool ok = false;
    const qulonglong value = text.toULongLong(&ok);
    if (ok && value > qulonglong(INT32_MAX))
        return QStringLiteral("--%1: %2 is too large (frames are numbered up to %3)")
            .arg(option, text).arg(INT32_MAX);
    return QStringLiteral("--%1: not a frame number: %2").arg(option, text);
}

// A frame number, or a time when the text has a ':' or a '.'.
std::optional<FramePoint> framePoint(const QString& text)
{
    static const QRegularExpression digits(QStringLiteral("^\\d+$"));
    if (digits.match(text).hasMatch()) {
        const std::optional<int> frame = wholeNumber(text, 0, INT32_MAX);
        return frame ? std::optional<FramePoint>(FramePoint{*frame, std::nullopt}) : std::nullopt;
    }
    const std::optional<double> seconds = secondsOfEntry(text);
    return seconds ? std::optional<FramePoint>(FramePoint{0, seconds}) : std::nullopt;
}

std::optional<double> decimal(const QString& text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

const char kExamples[] = R"(
Examples:
  kadrel-extract -o frames film.mp4                    every frame: frames/frame0.bmp ...
  kadrel-extract --from 1:00 --to 1:30 film.mp4        the frames from 1 min to 1 min 30 s
  kadrel-extract --every 10 film.mp4                   frames 0, 10, 20, ...
  kadrel-extract --per-second 2 --format jpg film.mp4  two frames a second
  kadrel-extract --format webp --quality 100 film.mp4  lossless WebP files
  kadrel-extract --keyframes film.mp4                  keyframes only, decoded alone
  kadrel-extract --scenes 0.3 --min-gap 2 talk.mp4     the first frame of each new scene
  kadrel-extract --name '{src}_{n:06}_{time}' film.mp4 film_000012_00-00-00.480.bmp ...
  kadrel-extract --manifest csv film.mp4               and manifest.csv: file, frame, time, ...
  kadrel-extract --hdr keep hdr.mkv                    an HDR video's signal, not tone-mapped
  kadrel-extract --metadata --format png film.mp4      each file names its video, frame and time
  kadrel-extract --format png --depth 16 hdr.mkv       16-bit PNG, a 10-bit video's every step
  kadrel-extract --deinterlace broadcast.ts            interlaced pictures without combing
  kadrel-extract -o out a.mp4 b.mkv                    out/a/..., out/b/...
)";

}  // namespace

std::int32_t FramePoint::in(const CapturePlan& plan) const
{
    return seconds ? frameAtTime(plan, *seconds) : frame;
}

QString FramePoint::text() const
{
    return seconds ? clockText(*seconds) : QString::number(frame);
}

QString ExtractOptions::folderFor(const QString& video) const
{
    if (videos.size() < 2)
        return outputFolder;
    return outputFolder + QLatin1Char('/') + QFileInfo(video).completeBaseName();
}

QString extractUsage()
{
    return QStringLiteral(
        "Usage: kadrel-extract [-o DIR] [--from N|TIME] [--to M|TIME] "
        "[--format bmp|png|jpg|webp] [--quality Q] [--depth 8|16] "
        "[--every N | --per-second R | --keyframes | --scenes T [--min-gap S]] "
        "[--name TEMPLATE] [--manifest csv|json] [--hdr map|keep] [--metadata] [--deinterlace] "
        "[-q] VIDEO...\n"
        "Try 'kadrel-extract --help' for more information.\n");
}

namespace {

// The options and their help lines, in the order --help lists them.
struct Options {
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Show this help and exit.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Show the version and exit.")};
    QCommandLineOption output{{QStringLiteral("o"), QStringLiteral("output")},
                              QStringLiteral("Folder for the files (default: the current folder); "
                                             "made when missing. With several videos, each "
                                             "video's files go into a subfolder named after it."),
                              QStringLiteral("DIR")};
    QCommandLineOption from{QStringLiteral("from"),
                            QStringLiteral("First frame to save (default 0): a frame number, or "
                                           "a time such as 62.5, 1:02.5 or 00:01:02.500."),
                            QStringLiteral("N|TIME")};
    QCommandLineOption to{QStringLiteral("to"),
                          QStringLiteral("Last frame to save, included (default: the last frame "
                                         "of the video); a frame number or a time."),
                          QStringLiteral("M|TIME")};
    QCommandLineOption format{QStringLiteral("format"),
                              QStringLiteral("bmp (default), png, jpg or webp."),
                              QStringLiteral("FORMAT")};
    QCommandLineOption quality{QStringLiteral("quality"),
                               QStringLiteral("JPEG or WebP quality, 1 to 100 (default: JPEG 95, "
                                              "WebP 90); WebP at 100 is lossless."),
                               QStringLiteral("Q")};
    QCommandLineOption depth{QStringLiteral("depth"),
                             QStringLiteral("Bits a channel of PNG files: 8 (default) or 16, "
                                            "for sources deeper than 8 bits."),
                             QStringLiteral("8|16")};
    QCommandLineOption every{QStringLiteral("every"),
                             QStringLiteral("Save every Nth frame: From, From + N, ..."),
                             QStringLiteral("N")};
    QCommandLineOption perSecond{QStringLiteral("per-second"),
                                 QStringLiteral("Save R frames a second (the frame on show at each "
                                                "k / R s), each picture once."),
                                 QStringLiteral("R")};
    QCommandLineOption keyframes{QStringLiteral("keyframes"),
                                 QStringLiteral("Save the keyframes only; only they are decoded.")};
    QCommandLineOption scenes{QStringLiteral("scenes"),
                              QStringLiteral("Save the first frame of each new scene; T from 0 "
                                             "to 1, lower finds more (0.3 suits most films)."),
                              QStringLiteral("T")};
    QCommandLineOption minGap{QStringLiteral("min-gap"),
                              QStringLiteral("With --scenes: at least S seconds between two "
                                             "frames saved."),
                              QStringLiteral("S")};
    QCommandLineOption name{QStringLiteral("name"),
                            QStringLiteral("File names: {n} the frame number ({n:06} with zeros "
                                           "to 6 digits), {time} as 00-01-02.500, {src} the "
                                           "video's name (default frame{n}); the type's "
                                           "extension is added."),
                            QStringLiteral("TEMPLATE")};
    QCommandLineOption manifest{QStringLiteral("manifest"),
                                QStringLiteral("Also write manifest.csv or manifest.jsonl: each "
                                               "file with its frame, time, time stamp and "
                                               "keyframe flag."),
                                QStringLiteral("csv|json")};
    QCommandLineOption hdr{QStringLiteral("hdr"),
                           QStringLiteral("HDR videos (PQ or HLG): map (default) tone-maps them "
                                          "to SDR; keep saves their signal as it is."),
                           QStringLiteral("map|keep")};
    QCommandLineOption metadata{QStringLiteral("metadata"),
                                QStringLiteral("PNG, JPEG and WebP files carry the video's name, "
                                               "the frame's number and time and, where the "
                                               "video states it, when the frame was recorded "
                                               "(EXIF DateTimeOriginal).")};
    QCommandLineOption deinterlace{
        QStringLiteral("deinterlace"),
        QStringLiteral("Deinterlace the pictures flagged interlaced (TV, DV and DVD video), "
                       "each from its own and its neighbours' fields; the frames and their "
                       "numbers stay as without.")};
    QCommandLineOption quiet{{QStringLiteral("q"), QStringLiteral("quiet")},
                             QStringLiteral("No progress line and no summary.")};

    QList<QCommandLineOption> all() const
    {
        return {help, version, output, from, to, format, quality, depth, every, perSecond,
                keyframes, scenes, minGap, name, manifest, hdr, metadata, deinterlace, quiet};
    }
};

// --from and --to; a problem for the user, or none.
std::optional<QString> readRange(const QCommandLineParser& parser, const Options& o,
                                 ExtractOptions& options)
{
    for (const auto& [option, field] : {std::pair{&o.from, &options.from}, {&o.to, &options.to}}) {
        if (!parser.isSet(*option))
            continue;
        *field = framePoint(parser.value(*option));
        if (!*field)
            return frameNumberProblem(option->names().first(), parser.value(*option));
    }
    const auto& [from, to] = std::pair{options.from, options.to};
    if (from && to && !from->seconds && !to->seconds && to->frame < from->frame)
        return QStringLiteral("--to %1 comes before --from %2").arg(to->frame).arg(from->frame);
    if (from && to && from->seconds && to->seconds && *to->seconds < *from->seconds)
        return QStringLiteral("--to %1 comes before --from %2").arg(to->text(), from->text());
    return std::nullopt;
}

// --every, --per-second, --keyframes, --scenes and --min-gap.
std::optional<QString> readSelection(const QCommandLineParser& parser, const Options& o,
                                     FrameSelection& selection)
{
    using Kind = FrameSelection::Kind;
    const std::pair<const QCommandLineOption*, Kind> kinds[] = {
        {&o.every, Kind::EveryNth}, {&o.perSecond, Kind::PerSecond},
        {&o.keyframes, Kind::Keyframes}, {&o.scenes, Kind::Scenes}};
    for (const auto& [option, kind] : kinds) {
        if (!parser.isSet(*option))
            continue;
        if (selection.kind != Kind::All)
            return QStringLiteral("choose one of --every, --per-second, --keyframes and --scenes");
        selection.kind = kind;
    }
    if (parser.isSet(o.minGap) && selection.kind != Kind::Scenes)
        return QStringLiteral("--min-gap goes with --scenes");
    // Each value read, or the option's own complaint about it.
    const auto read = [&](const QCommandLineOption& option, auto& field, double minimum,
                          double maximum, const char* range) -> std::optional<QString> {
        const std::optional<double> value = decimal(parser.value(option));
        if (value && *value >= minimum && *value <= maximum) {
            field = static_cast<std::remove_reference_t<decltype(field)>>(*value);
            if (*value == field)
                return std::nullopt;
        }
        return QStringLiteral("--%1: %2, not %3")
            .arg(option.names().first(), QLatin1String(range), parser.value(option));
    };
    switch (selection.kind) {
    case Kind::EveryNth:
        return read(o.every, selection.every, 1, INT32_MAX, "a whole number from 1");
    case Kind::PerSecond:
        return read(o.perSecond, selection.perSecond, 1e-6, 1000, "above 0 and up to 1000");
    case Kind::Scenes:
        if (auto problem = read(o.scenes, selection.sceneThreshold, 0, 1, "0 to 1"))
            return problem;
        if (parser.isSet(o.minGap))
            return read(o.minGap, selection.minGap, 0, 86400, "0 to 86400 seconds");
        return std::nullopt;
    case Kind::All:
    case Kind::Keyframes:
        break;
    }
    return std::nullopt;
}

// --name, --manifest, --format, --hdr, --metadata, --deinterlace, --quality and --depth.
std::optional<QString> readOutput(const QCommandLineParser& parser, const Options& o,
                                  ExtractOptions& options)
{
    if (parser.isSet(o.name)) {
        const Result<NameTemplate> names = NameTemplate::parse(parser.value(o.name));
        if (!names)
            return QStringLiteral("--name: ") + names.status().description();
        options.names = names.value();
    }
    if (parser.isSet(o.manifest)) {
        const QString kind = parser.value(o.manifest);
        if (kind != QLatin1String("csv") && kind != QLatin1String("json"))
            return QStringLiteral("--manifest: csv or json, not %1").arg(kind);
        options.manifest =
            kind == QLatin1String("csv") ? ManifestKind::Csv : ManifestKind::JsonLines;
    }
    if (parser.isSet(o.format)) {
        const auto type = imageFormatNamed(parser.value(o.format));
        if (!type)
            return QStringLiteral("--format: bmp, png, jpg or webp, not %1")
                .arg(parser.value(o.format));
        options.format = *type;
    }
    if (parser.isSet(o.hdr)) {
        const QString hdr = parser.value(o.hdr);
        if (hdr != QLatin1String("map") && hdr != QLatin1String("keep"))
            return QStringLiteral("--hdr: map or keep, not %1").arg(hdr);
        options.keepHdr = hdr == QLatin1String("keep");
    }
    options.metadata = parser.isSet(o.metadata);
    options.deinterlace = parser.isSet(o.deinterlace);
    if (parser.isSet(o.quality)) {
        const auto q = wholeNumber(parser.value(o.quality), 1, 100);
        if (!q)
            return QStringLiteral("--quality: 1 to 100, not %1").arg(parser.value(o.quality));
        options.quality = *q;
    }
    if (parser.isSet(o.depth)) {
        const QString depth = parser.value(o.depth);
        if (depth != QLatin1String("8") && depth != QLatin1String("16"))
            return QStringLiteral("--depth: 8 or 16, not %1").arg(depth);
        options.pngDepth = depth.toInt();
        if (options.pngDepth == 16 && options.format != ImageFormat::Png)
            return QStringLiteral("--depth 16 goes with --format png");
    }
    return std::nullopt;
}

// The videos, each with a subfolder of its own when there are several.
std::optional<QString> readVideos(const QStringList& videos, ExtractOptions& options)
{
    if (videos.isEmpty())
        return QStringLiteral("no video named");
    options.videos = videos;
    QHash<QString, QString> folders;
    for (const QString& video : videos) {
        const QString folder = options.folderFor(video);
        if (folders.contains(folder))
            return QStringLiteral("%1 and %2 would both write into %3")
                .arg(folders.value(folder), video, folder);
        folders.insert(folder, video);
    }
    return std::nullopt;
}

}  // namespace

ParsedCommandLine parseExtractCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Saves the frames of each VIDEO as frame<n>.<ext> files, n being the frame number, with "
        "the engine and exactness of the Kadrel program."));
    const Options o;
    parser.addOptions(o.all());
    parser.addPositionalArgument(QStringLiteral("VIDEO"), QStringLiteral("The video files."),
                                 QStringLiteral("VIDEO..."));

    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(o.help))
        return {std::nullopt, parser.helpText() + QString::fromUtf8(kExamples), 0};
    if (parser.isSet(o.version))
        return {std::nullopt, QStringLiteral("kadrel-extract " KADREL_VERSION "\n"), 0};

    ExtractOptions options;
    if (parser.isSet(o.output)) {
        options.outputFolder = parser.value(o.output);
        if (options.outputFolder.isEmpty())
            return usageError(QStringLiteral("-o: the folder name is empty"));
    }
    options.quiet = parser.isSet(o.quiet);
    for (const std::optional<QString>& problem :
         {readVideos(parser.positionalArguments(), options), readRange(parser, o, options),
          readSelection(parser, o, options.selection), readOutput(parser, o, options)}) {
        if (problem)
            return usageError(*problem);
    }
    return {options, {}, 0};
}

}  // namespace kadrel
