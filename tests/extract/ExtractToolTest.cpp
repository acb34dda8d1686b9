// kadrel-extract as a script runs it: its arguments to the frames written, exit statuses and
// messages, and signals that stop it with whole files only. The loop is BulkCaptureTest's.

#include "support/MediaGenerator.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>
#include <libexif/exif-data.h>
#include <webp/mux.h>

#include <csignal>
#include <sys/stat.h>

namespace kadrel {
namespace {

struct ToolRun { int status = -1; QString out, err; };

// A file's EXIF as "description | DateTimeOriginal.SubSecTimeOriginal OffsetTimeOriginal".
QString exifFacts(ExifData* exif)
{
    const auto value = [exif](ExifIfd ifd, ExifTag tag) {
        char text[256] = {};
        ExifEntry* entry = exif ? exif_content_get_entry(exif->ifd[ifd], tag) : nullptr;
        return QString::fromUtf8(entry ? exif_entry_get_value(entry, text, sizeof text) : "");
    };
    QString facts = value(EXIF_IFD_0, EXIF_TAG_IMAGE_DESCRIPTION);
    if (const QString at = value(EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL); !at.isEmpty())
        facts += " | " + at + '.' + value(EXIF_IFD_EXIF, EXIF_TAG_SUB_SEC_TIME_ORIGINAL) + ' '
                 + value(EXIF_IFD_EXIF, EXIF_TAG_OFFSET_TIME_ORIGINAL);
    exif_data_unref(exif);  // null-safe
    return facts;
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The facts a frame file carries: a PNG's text chunks, a JPEG's or WebP's EXIF.
QString factsIn(const QString& path)
{
    if (path.endsWith(".png"))
        return QImage(path).text();  // "key: text" separated by blank lines
    if (path.endsWith(".jpg"))
        return exifFacts(exif_data_new_from_file(QFile::encodeName(path).constData()));
    const QByteArray bytes = contents(path);
    const WebPData file{reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())};
    WebPMux* mux = WebPMuxCreate(&file, 0);
    WebPData chunk{};
    QByteArray exif("Exif\0\0", 6);
    if (mux && WebPMuxGetChunk(mux, "EXIF", &chunk) == WEBP_MUX_OK)
        exif += QByteArray(reinterpret_cast<const char*>(chunk.bytes), qsizetype(chunk.size));
    WebPMuxDelete(mux);
    return exifFacts(exif_data_new_from_data(
        reinterpret_cast<const unsigned char*>(exif.constData()), exif.size()));
}

class ExtractTool : public ::testing::Test {
protected:
    static QString clip()  // made once for every test
    {
        static const QTemporaryDir dir;
        static const QString path = dir.filePath(QStringLiteral("clip.mp4"));
        static const bool made =
            test::generateClip({.codec = test::ClipSpec::Codec::H264, .frames = 20}, path).ok();
        EXPECT_TRUE(made);
        return path;
    }

    ToolRun run(const QStringList& arguments, const QString& workingFolder = {})
    {
        QProcess tool;
        tool.setWorkingDirectory(workingFolder.isEmpty() ? work.path() : workingFolder);
        tool.start(QStringLiteral(KADREL_EXTRACT), arguments);
        EXPECT_TRUE(tool.waitForFinished(60000));
        return {tool.exitCode(), QString::fromUtf8(tool.readAllStandardOutput()),
                QString::fromUtf8(tool.readAllStandardError())};
    }

    // The frame each file of the folder holds, by file name: "frame3.png=3 frame4.png=4".
    static QString framesIn(const QString& folder)
    {
        QMap<int, QString> seen;  // by the number in the name
        for (const QString& file : QDir(folder).entryList(QDir::Files)) {
            const int frame = test::frameIndexFromImageFile(QDir(folder).filePath(file));
            seen.insert(file.mid(5).section(u'.', 0, 0).toInt(),
                        file + u'=' + QString::number(frame));
        }
        return QStringList(seen.values()).join(u' ');
    }

    static QString expected(int first, int last, const char* extension)
    {
        QStringList files;
        for (int n = first; n <= last; ++n)
            files << QStringLiteral("frame%1.%2=%1").arg(n).arg(QLatin1String(extension));
        return files.join(u' ');
    }

    // The picture of each image file in folder, by name.
    static QMap<QString, int> pictures(const QString& folder)
    {
        QMap<QString, int> shown;
        for (const QString& file : QDir(folder).entryList(QDir::Files))
            if (!file.startsWith(QStringLiteral("manifest")))
                shown.insert(file, test::frameIndexFromImageFile(QDir(folder).filePath(file)));
        return shown;
    }

    // The first column of a manifest, the file names, without the header.
    static QStringList listed(const QString& manifest)
    {
        QFile file(manifest);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << manifest.toStdString();
        QStringList names;
        for (const QByteArray& line : file.readAll().split('\n').mid(1))
            if (!line.isEmpty())
                names << QString::fromUtf8(line.split(',').first());
        return names;
    }

    QTemporaryDir work;
};

// Exactly the frames asked for, each file holding its own; a summary unless -q. Help, version.
TEST_F(ExtractTool, WritesTheFramesAskedFor)
{
    const struct { QStringList arguments; QString files; const char* summary; } runs[] = {
        {{clip()}, expected(0, 19, "bmp"), "20 frames (0 to 19)"},
        {{"--from", "3", "--to", "7", "--format", "png", "-o", "png", clip()},
         expected(3, 7, "png"), "5 frames (3 to 7)"},
        {{"--format", "jpg", "--quality", "90", "--from", "18", "-q", "-o", "deep/jpg", clip()},
         expected(18, 19, "jpg"), nullptr},
        {{"--to", "0", "--format", "jpeg", "-o", "one", clip()}, expected(0, 0, "jpg"),
         "1 frames (0 to 0)"},
        {{"--hdr", "keep", "--to", "0", clip()}, expected(0, 0, "bmp"), "1 frames (0 to 0)"},
        {{"--from", "17", "--format", "webp", "-q", "-o", "webp", clip()},
         expected(17, 19, "webp"), nullptr},
    };
    for (const auto& r : runs) {
        SCOPED_TRACE(r.arguments.join(u' ').toStdString());
        QTemporaryDir folder;
        const ToolRun done = run(r.arguments, folder.path());
        EXPECT_EQ(done.status, 0) << done.err.toStdString();
        const int o = r.arguments.indexOf(QStringLiteral("-o"));
        EXPECT_EQ(framesIn(o < 0 ? folder.path() : folder.filePath(r.arguments[o + 1])), r.files);
        const QString summary =
            r.summary ? QStringLiteral("kadrel-extract: ") + r.summary : QString();
        EXPECT_TRUE(done.err.startsWith(summary) && done.err.isEmpty() == summary.isEmpty()
                    && done.out.isEmpty()) << done.err.toStdString();
    }
    const ToolRun help = run({QStringLiteral("--help")});
    EXPECT_TRUE(help.status == 0 && help.out.contains(QStringLiteral("--quality <Q>")));
    const ToolRun version = run({QStringLiteral("--version")});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, QStringLiteral("kadrel-extract " KADREL_VERSION "\n"));
}

// Usage errors end with 2 and the usage text, failures with 1; neither writes anything.
TEST_F(ExtractTool, RefusesWithTheRightStatusAndWritesNothing)
{
    QFile blocker(work.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    const QString missing = work.filePath(QStringLiteral("missing.mp4"));
    const struct { QStringList arguments; int status; QString says; } runs[] = {
        {{}, 2, "no video named"},
        {{"--bogus", clip()}, 2, "Unknown option 'bogus'"},
        {{"--from", "5", "--to", "2", clip()}, 2, "--to 2 comes before --from 5"},
        {{"--to", "20", clip()}, 2, clip() + ": frame 20 is past the end (the last frame is 19)"},
        {{"--from", "-1", clip()}, 2, "--from: not a frame number: -1"},
        {{"--to", "2147483648", clip()}, 2, "--to: 2147483648 is too large"},
        {{"-o", "", clip()}, 2, "-o: the folder name is empty"},
        {{"--format", "gif", clip()}, 2, "--format: bmp, png, jpg or webp, not gif"},
        {{"--quality", "101", clip()}, 2, "--quality: 1 to 100, not 101"},
        {{"--every", "0", clip()}, 2, "--every: a whole number from 1, not 0"},
        {{"--keyframes", "--scenes", "0.3", clip()}, 2, "choose one of --every, --per-second"},
        {{"--min-gap", "2", clip()}, 2, "--min-gap goes with --scenes"},
        {{"--from", "1:75", clip()}, 2, "--from: not a time: 1:75"},
        {{"--name", "still", clip()}, 2, "--name: The name template \"still\" gives every"},
        {{"--name", "../{n}", clip()}, 2, "--name: The name template \"../{n}\" would put"},
        {{"--name", "{n}{frame}", clip()}, 2, "--name: The name template \"{n}{frame}\" has an"},
        {{"--manifest", "xml", clip()}, 2, "--manifest: csv or json, not xml"},
        {{"--hdr", "tone", clip()}, 2, "--hdr: map or keep, not tone"},
        {{"--depth", "10", clip()}, 2, "--depth: 8 or 16, not 10"},
        {{"--depth", "16", "--format", "jpg", clip()}, 2, "--depth 16 goes with --format png"},
        {{clip(), "other/clip.mkv"}, 2,
         clip() + " and other/clip.mkv would both write into ./clip"},
        {{"-o", "out", missing}, 1, "Cannot open " + missing + ": No such file"},
        {{"-o", "blocker/out", clip()}, 1, "blocker/out: the folder cannot be made"},
    };
    for (const auto& r : runs) {
        SCOPED_TRACE(r.arguments.join(u' ').toStdString());
        const ToolRun done = run(r.arguments);
        EXPECT_TRUE(done.status == r.status
                    && done.err.startsWith(QStringLiteral("kadrel-extract: ") + r.says))
            << done.status << done.err.toStdString();
        EXPECT_EQ(done.err.contains(QStringLiteral("\nUsage: kadrel-extract [-o DIR]")),
                  r.status == 2);
        EXPECT_EQ(QDir(work.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                  QStringList{"blocker"});
    }
}

// SIGTERM during a run from a file, SIGINT while a FIFO waits for a writer or for more data:
// status 130, and frame0 onwards without a gap, each whole, the run stopped before the end.
TEST_F(ExtractTool, InterruptedRunLeavesOnlyWholeFiles)
{
    const QString mkv = work.filePath(QStringLiteral("clip.mkv"));
    ASSERT_TRUE(test::generateClip({.width = 320, .height = 240, .frames = 400}, mkv).ok());
    const struct { int signal; qint64 sent; } runs[] = {
        {SIGTERM, -1}, {SIGINT, 0}, {SIGINT, QFileInfo(mkv).size() / 2}};
    for (const auto& [signal, sent] : runs) {
        SCOPED_TRACE(sent);
        QTemporaryDir folder;
        const QString fifo = folder.filePath(QStringLiteral("fifo.mkv"));
        ASSERT_TRUE(sent < 0 || ::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        QProcess tool;
        tool.start(QStringLiteral(KADREL_EXTRACT),
                   {QStringLiteral("--manifest"), QStringLiteral("csv"), QStringLiteral("-o"),
                    folder.path(), sent < 0 ? mkv : fifo});
        ASSERT_TRUE(tool.waitForStarted());
        QProcess writer;  // sends the first half of the clip, then keeps the FIFO open
        if (sent > 0) {
            writer.setStandardOutputFile(fifo);
            writer.start(QStringLiteral("sh"), {QStringLiteral("-c"),
                                                QStringLiteral("head -c %1 '%2'; exec sleep 60")
                                                    .arg(sent).arg(mkv)});
        }
        // Once the tool waits for a writer or has written frames: its handler is in place.
        QFile wait(QStringLiteral("/proc/%1/wchan").arg(tool.processId()));
        for (int tries = 0; tries < 1000 && tool.state() == QProcess::Running; ++tries) {
            if (sent != 0 ? QFile::exists(folder.filePath(QStringLiteral("frame2.bmp")))
                          : wait.open(QIODevice::ReadOnly) && wait.readAll().contains("poll"))
                break;
            wait.close();
            QThread::msleep(10);
        }
        ::kill(static_cast<pid_t>(tool.processId()), signal);
        ASSERT_TRUE(tool.waitForFinished(5000));
        writer.kill();
        writer.waitForFinished();
        EXPECT_EQ(tool.exitCode(), 130);
        const QString said = QString::fromUtf8(tool.readAllStandardError());
        EXPECT_TRUE(said.startsWith(QStringLiteral("kadrel-extract: interrupted after ")))
            << said.toStdString();
        QDir(folder.path()).remove(QStringLiteral("fifo.mkv"));
        if (sent != 0) {  // the manifest lists exactly the files left
            QStringList files = listed(folder.filePath(QStringLiteral("manifest.csv")));
            files.sort();
            EXPECT_EQ(files, pictures(folder.path()).keys());
            QDir(folder.path()).remove(QStringLiteral("manifest.csv"));
        }
        const int files = int(QDir(folder.path()).entryList(QDir::Files).size());
        EXPECT_TRUE(sent == 0 ? files == 0 : files >= 3) << files;
        EXPECT_LT(files, 400);
        EXPECT_EQ(framesIn(folder.path()), expected(0, files - 1, "bmp"));
    }
}

// Each selection on constant, 29.97 and variable rate clips: the files are the frames asked for,
// each holding the picture the whole run writes under that name, no picture twice where the
// selection promises it; times as range ends, templates and the manifest. A DVD program stream
// leaves its last keyframe untimed.
TEST_F(ExtractTool, SelectionsWriteTheirFramesOnce)
{
    std::vector<int> ticks;  // frames of 1, 2 and 3 fiftieths of a second
    for (int k = 0, t = 0; k < 30; t += 1 + k % 3, ++k)
        ticks.push_back(t);
    const QString ntsc = work.filePath(QStringLiteral("ntsc.mp4"));
    const QString vfr = work.filePath(QStringLiteral("vfr.mp4"));
    const QString dvd = work.filePath(QStringLiteral("dvd.vob"));
    using test::ClipSpec;
    ASSERT_TRUE(test::generateClip({.codec = ClipSpec::Codec::Mpeg2, .frames = 40,
                                    .interlaced = true}, dvd).ok());
    ASSERT_TRUE(test::generateClip({.codec = ClipSpec::Codec::H264, .fps = 30000, .frames = 20,
                                    .fpsDivisor = 1001}, ntsc).ok());
    ASSERT_TRUE(test::generateClip({.codec = ClipSpec::Codec::H264, .fps = 50, .frames = 30,
                                    .gop = 12, .frameTicks = ticks}, vfr).ok());
    const auto names = [](std::initializer_list<int> frames) {
        QStringList list;
        for (int n : frames)
            list << QStringLiteral("frame%1.bmp").arg(n);
        return list;
    };
    const struct { QString video; QStringList arguments; QStringList files; bool once; } runs[] = {
        {clip(), {"--every", "3"}, names({0, 3, 6, 9, 12, 15, 18}), false},
        {clip(), {"--every", "5", "--from", "2", "--to", "13"}, names({2, 7, 12}), false},
        {clip(), {"--from", "0.2", "--to", "0:00.4"}, names({5, 6, 7, 8, 9, 10}), false},
        {clip(), {"--per-second", "10"}, names({0, 2, 5, 7, 10, 12, 15, 17}), true},
        {ntsc, {"--per-second", "7"}, names({0, 4, 8, 12, 17}), true},
        {vfr, {"--every", "4"}, {}, false},
        {vfr, {"--per-second", "1000"}, {}, true},
        {vfr, {"--keyframes", "--manifest", "csv"}, {}, true},
        {clip(), {"--keyframes", "--manifest", "csv"}, {}, true},
        {dvd, {"--keyframes"}, names({0, 12, 24, 36}), true},
    };
    QMap<QString, QMap<QString, int>> whole;  // each clip's whole run
    for (const QString& video : {clip(), ntsc, vfr, dvd}) {
        const QString out = work.filePath(QFileInfo(video).fileName() + QStringLiteral("-all"));
        ASSERT_EQ(run({"--manifest", "csv", "-o", out, video}).status, 0);
        whole[video] = pictures(out);
    }
    for (const auto& r : runs) {
        SCOPED_TRACE((r.video + u' ' + r.arguments.join(u' ')).toStdString());
        QTemporaryDir out;
        const ToolRun done = run(r.arguments + QStringList{"-o", out.path(), r.video});
        ASSERT_EQ(done.status, 0) << done.err.toStdString();
        const QMap<QString, int> got = pictures(out.path());
        QStringList files = r.files;  // in the map's order
        files.sort();
        EXPECT_TRUE(files.isEmpty() || got.keys() == files) << got.keys().join(u' ').toStdString();
        EXPECT_FALSE(got.isEmpty());
        for (auto it = got.begin(); it != got.end(); ++it)
            EXPECT_EQ(it.value(), whole[r.video].value(it.key(), -2)) << it.key().toStdString();
        const QList<int> shown = got.values();
        EXPECT_TRUE(!r.once || QSet<int>(shown.begin(), shown.end()).size() == shown.size());
    }
}

// --deinterlace changes the interlaced pictures, not which frames are written nor their
// numbers; an every-Nth run, which leaves pictures undecoded without it, writes the same.
TEST_F(ExtractTool, DeinterlaceKeepsTheFrames)
{
    const QString video = work.filePath(QStringLiteral("tv.mkv"));
    ASSERT_TRUE(test::generateClip({.codec = test::ClipSpec::Codec::H264,
                                    .content = test::ClipSpec::Content::FieldBar, .frames = 40,
                                    .gop = 8, .interlaced = true}, video).ok());
    for (const char* options : {"-o off", "--deinterlace -o on", "--deinterlace --every 3 -o n"})
        ASSERT_EQ(run(QString(options).split(u' ') << video).status, 0);
    EXPECT_EQ(framesIn(work.filePath("on")), framesIn(work.filePath("off")));
    for (int n = 0; n < 40; n += 3) {
        const QString file = QStringLiteral("/frame%1.bmp").arg(n);
        const QByteArray on = contents(work.filePath("on") + file);
        EXPECT_TRUE(on != contents(work.filePath("off") + file)
                    && on == contents(work.filePath("n") + file)) << n;
    }
}

// A template's names, the manifest's rows of them, and a run of several videos where one fails:
// the others are written each into its own folder and the status says that one failed.
TEST_F(ExtractTool, NamesManifestAndSeveralVideos)
{
    const ToolRun named = run({"--name", "{src}_{n:04}_{time}", "--every", "8", "--manifest",
                               "json", "-o", "named", clip()});
    ASSERT_EQ(named.status, 0) << named.err.toStdString();
    const QStringList files{"clip_0000_00-00-00.000.bmp", "clip_0008_00-00-00.320.bmp",
                            "clip_0016_00-00-00.640.bmp"};
    EXPECT_EQ(pictures(work.filePath(QStringLiteral("named"))).keys(), files);
    QFile json(work.filePath(QStringLiteral("named/manifest.jsonl")));
    ASSERT_TRUE(json.open(QIODevice::ReadOnly));
    EXPECT_TRUE(json.readLine().startsWith(R"({"file":"clip_0000_00-00-00.000.bmp","frame":0,)"
                                           R"("keyframe":true,"time":0,"timestamp":)"));
    EXPECT_EQ(json.readAll().count('\n'), 2);

    QFile::copy(clip(), work.filePath(QStringLiteral("second.mp4")));
    QFile bad(work.filePath(QStringLiteral("bad.mp4")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly) && bad.write(QByteArray(4096, 'x')) == 4096);
    bad.close();
    const ToolRun batch = run({"-q", "--to", "4", "-o", "many", clip(), "bad.mp4", "second.mp4"});
    EXPECT_EQ(batch.status, 1);
    EXPECT_TRUE(batch.err.contains(QStringLiteral("bad.mp4"))
                && batch.err.endsWith(QStringLiteral("1 of 3 videos failed\n")))
        << batch.err.toStdString();
    for (const char* folder : {"many/clip", "many/second"})
        EXPECT_EQ(framesIn(work.filePath(QLatin1String(folder))), expected(0, 4, "bmp"));
}

// --metadata: PNG, JPEG and WebP files name their video, frame and time and, where the
// container states its recording time, when the frame was recorded (MP4 keeps whole seconds).
// Without it they carry nothing, and with it their pictures' bytes are the same.
TEST_F(ExtractTool, MetadataNamesEachFrame)
{
    const QString recorded = work.filePath("recorded.mp4");
    ASSERT_TRUE(test::generateClip({.codec = test::ClipSpec::Codec::H264, .frames = 5,
                                    .creationTime = "2024-05-01T12:34:56.000000Z"}, recorded).ok());
    const QString exif = "recorded.mp4, frame 3, 0.12 s (00:00:00.120) | 2024:05:01 12:34:56.120 "
                         "+00:00";
    const struct { QString video; const char* type; int picture; QString facts; } runs[] = {
        {recorded, "png", 33, "Creation Time: 2024-05-01T12:34:56.120Z\n\nFrame: 3\n\n"
                              "Source: recorded.mp4\n\nTime: 0.12 s (00:00:00.120)"},
        {recorded, "jpg", 20, exif},
        {recorded, "webp", 12, exif},
        {clip(), "png", 33, "Frame: 3\n\nSource: clip.mp4\n\nTime: 0.12 s (00:00:00.120)"},
        {clip(), "webp", 12, "clip.mp4, frame 3, 0.12 s (00:00:00.120)"},
    };
    for (const auto& r : runs) {
        SCOPED_TRACE(r.type + r.video.toStdString());
        const QStringList common{"--from", "3", "--to", "3", "-q", "--format", r.type, r.video};
        const QString out = work.filePath(QFileInfo(r.video).baseName() + r.type);
        ASSERT_EQ(run(QStringList{"--metadata", "-o", out} + common).status, 0);
        ASSERT_EQ(run(QStringList{"-o", out + "-plain"} + common).status, 0);
        const QString name = QStringLiteral("/frame3.") + r.type;
        EXPECT_EQ(factsIn(out + name), r.facts);
        EXPECT_EQ(factsIn(out + "-plain" + name), QString());
        EXPECT_GE(contents(out + name).indexOf(contents(out + "-plain" + name).mid(r.picture)),
                  r.picture);
    }
}

// --depth 16: every code of a 10-bit grey ramp comes back from its PNG by the range formula,
// which the 8-bit file cannot do; the facts still go in; cICP (BT.2020, PQ, RGB, full range)
// before IDAT for a PQ signal kept, and nowhere else.
TEST_F(ExtractTool, SixteenBitPngKeepsEveryTenBitCode)
{
    using test::ClipSpec;
    const QString ramp = work.filePath("ramp.mkv"), pq = work.filePath("pq.mkv");
    ClipSpec recipe{.codec = ClipSpec::Codec::Ffv1, .content = ClipSpec::Content::GreyRamp,
                    .width = 64, .height = 16, .frames = 1};
    ASSERT_TRUE(test::generateClip(recipe, ramp).ok());
    recipe.codec = ClipSpec::Codec::Hevc10, recipe.content = ClipSpec::Content::HdrLevels;
    ASSERT_TRUE(test::generateClip(recipe, pq).ok());
    const auto everyCodeBack = [](const QImage& picture) {  // in each channel of each pixel
        const auto code = [](int sample) { return qRound(sample * 876 / 65535.0) + 64; };
        bool all = true;
        for (int k = 0; k < 64 * 16; ++k) {
            const QRgba64 v = picture.pixelColor(k % 64, k / 64).rgba64();
            for (const int sample : {v.red(), v.green(), v.blue()})
                all = all && code(sample) == test::greyRampCode(k);
        }
        return all;
    };
    const struct { QString video; QStringList options; int depth; bool colour, codes; } runs[] = {
        {ramp, {"--depth", "16", "--metadata"}, 16, false, true}, {ramp, {}, 8, false, false},
        {pq, {"--depth", "16", "--hdr", "keep"}, 16, true, false},
        {pq, {"--depth", "16"}, 16, false, false}};
    for (const auto& r : runs) {
        SCOPED_TRACE(r.options.join(u' ').toStdString() + ' ' + r.video.toStdString());
        const QString file = work.filePath(QString::number(&r - runs)) + "/frame0.png";
        ASSERT_EQ(run(QStringList{"-q", "--format", "png", "-o", QFileInfo(file).path(), r.video}
                      + r.options).status, 0);
        const QByteArray bytes = contents(file);
        EXPECT_EQ(bytes.at(24), r.depth);  // IHDR's bit depth
        const qsizetype colour = bytes.indexOf(QByteArray("cICP\x09\x10\x00\x01", 8));
        EXPECT_EQ(colour >= 0 && colour < bytes.indexOf("IDAT"), r.colour);
        EXPECT_EQ(r.video == ramp && everyCodeBack(QImage(file)), r.codes);
        EXPECT_EQ(factsIn(file).startsWith("Frame: 0"), r.options.contains("--metadata"));
    }
}

}  // namespace
}  // namespace kadrel
