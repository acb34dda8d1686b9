#pragma once
// Generated clips in one temporary folder per test program, and what the engine shows of them.

#include "common/Status.h"
#include "media/ffmpeg/FilgraphManager.h"
#include "support/MediaGenerator.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace kadrel::test {

constexpr double kFrameTime = 0.04;  // every clip has 25 frames per second

QString inFolder(const QString& name);
QString writeFile(const QString& name, const QByteArray& bytes);
// Generates the clip under that name; a failure fails the test.
QString clip(const QString& name, const ClipSpec& recipe = {.frames = 100});
// A copy of the file cut to that share of its bytes.
QString cutCopy(const QString& path, double keep);
// A graph that has rendered path; a failure fails the test.
std::unique_ptr<ffmpeg::FilgraphManager> render(const QString& path);
// The frame on show as a bitmap file's bytes, or why there is none.
Result<QByteArray> snapshot(ffmpeg::FilgraphManager& graph);
// The frame index drawn in the frame on show (-1 when unreadable), or why there is none.
Result<int> frameOnShow(ffmpeg::FilgraphManager& graph);

}  // namespace kadrel::test
