#include "extract/ExtractOptions.h"

#include <QCommandLineParser>

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
    bool ok = false;
    const qulonglong value = text.toULongLong(&ok);
    if (ok && value > qulonglong(INT32_MAX))
        return QStringLiteral("--%1: %2 is too large (frames are numbered up to %3)")
            .arg(option, text).arg(INT32_MAX);
    return QStringLiteral("--%1: not a frame number: %2").arg(option, text);
}

}  // namespace

QString extractUsage()
{
    return QStringLiteral(
        "Usage: kadrel-extract [-o DIR] [--from N] [--to M] [--format bmp|png|jpg] "
        "[--quality Q] [-q] VIDEO\n"
        "Try 'kadrel-extract --help' for more information.\n");
}

ParsedCommandLine parseExtractCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Saves the frames of VIDEO as frame<n>.<ext> files, n being the frame number, with the "
        "engine and exactness of the Kadrel program."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("Folder for the files (default: the current "
                                                   "folder); made when missing."),
                                    QStringLiteral("DIR"));
    const QCommandLineOption from(QStringLiteral("from"),
                                  QStringLiteral("First frame to save (default 0)."),
                                  QStringLiteral("N"));
    const QCommandLineOption to(QStringLiteral("to"),
                                QStringLiteral("Last frame to save, included (default: the last "
                                               "frame of the video)."),
                                QStringLiteral("M"));
    const QCommandLineOption format(QStringLiteral("format"),
                                    QStringLiteral("bmp (default), png or jpg."),
                                    QStringLiteral("FORMAT"));
    const QCommandLineOption quality(QStringLiteral("quality"),
                                     QStringLiteral("JPEG quality, 1 to 100 (default 95)."),
                                     QStringLiteral("Q"));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")},
                                   QStringLiteral("No progress line and no summary."));
    parser.addOptions({help, version, output, from, to, format, quality, quiet});
    parser.addPositionalArgument(QStringLiteral("VIDEO"), QStringLiteral("The video file."));

    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(help))
        return {std::nullopt, parser.helpText(), 0};
    if (parser.isSet(version))
        return {std::nullopt, QStringLiteral("kadrel-extract " KADREL_VERSION "\n"), 0};

    ExtractOptions options;
    const QStringList videos = parser.positionalArguments();
    if (videos.size() != 1)
        return usageError(videos.isEmpty() ? QStringLiteral("no video named")
                                           : QStringLiteral("one video at a time"));
    options.video = videos.first();
    if (parser.isSet(output)) {
        options.outputFolder = parser.value(output);
        if (options.outputFolder.isEmpty())
            return usageError(QStringLiteral("-o: the folder name is empty"));
    }
    options.quiet = parser.isSet(quiet);
    for (const auto& [option, field] : {std::pair{&from, &options.from}, {&to, &options.to}}) {
        if (!parser.isSet(*option))
            continue;
        *field = wholeNumber(parser.value(*option), 0, INT32_MAX);
        if (!*field)
            return usageError(frameNumberProblem(option->names().first(), parser.value(*option)));
    }
    if (options.from && options.to && *options.to < *options.from)
        return usageError(QStringLiteral("--to %1 comes before --from %2")
                              .arg(*options.to).arg(*options.from));
    if (parser.isSet(format)) {
        const auto type = imageFormatNamed(parser.value(format));
        if (!type)
            return usageError(QStringLiteral("--format: bmp, png or jpg, not %1")
                                  .arg(parser.value(format)));
        options.format = *type;
    }
    if (parser.isSet(quality)) {
        const auto q = wholeNumber(parser.value(quality), 1, 100);
        if (!q)
            return usageError(QStringLiteral("--quality: 1 to 100, not %1")
                                  .arg(parser.value(quality)));
        options.quality = *q;
    }
    return {options, {}, 0};
}

}  // namespace kadrel
