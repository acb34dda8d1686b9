#include "support/EngineClips.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kadrel::test {

QString inFolder(const QString& name)
{
    static QTemporaryDir dir;
    return dir.filePath(name);
}

QString writeFile(const QString& name, const QByteArray& bytes)
{
    QFile file(inFolder(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    return file.fileName();
}

QString clip(const QString& name, const ClipSpec& recipe)
{
    const Status made = generateClip(recipe, inFolder(name));
    EXPECT_TRUE(made.ok()) << qPrintable(made.text());
    return inFolder(name);
}

QString cutCopy(const QString& path, double keep)
{
    QFile whole(path);
    EXPECT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    const QFileInfo info(path);
    return writeFile(QStringLiteral("%1-%2.%3").arg(info.baseName()).arg(keep).arg(info.suffix()),
                     bytes.left(qsizetype(bytes.size() * keep)));
}

std::unique_ptr<ffmpeg::FilgraphManager> render(const QString& path)
{
    auto graph = std::make_unique<ffmpeg::FilgraphManager>();
    const Status s = graph->RenderFile(path);
    EXPECT_TRUE(s.ok()) << qPrintable(s.text());
    return graph;
}

Result<QByteArray> snapshot(ffmpeg::FilgraphManager& graph)
{
    const int pixels = graph.get_VideoWidth().valueOr(0) * graph.get_VideoHeight().valueOr(0);
    QByteArray bmp =
        QByteArray("BM") + QByteArray(8, '\0') + char(54) + QByteArray(43 + 4 * pixels, '\0');
    if (const Status s = graph.GetCurrentImage(40 + 4 * pixels, bmp.data() + 14); !s)
        return s;
    return bmp;
}

Result<int> frameOnShow(ffmpeg::FilgraphManager& graph)
{
    const Result<QByteArray> bmp = snapshot(graph);
    if (!bmp)
        return bmp.status();
    return frameIndexFromBitmap(bmp.value());
}

}  // namespace kadrel::test
