#pragma once
// Generated clips in one temporary folder per test program, and what the engine shows of them.

#include "common/Status.h"
#include "media/ffmpeg/FilgraphManager.h"
#include "support/MediaGenerator.h"

#include <memory>

namespace kadrel::test {

constexpr double kFrameTime = 0.04;  // every clip has 25 frames per second

QString inFolder(const QString& name);
QString writeFile(const QString& name, const QByteArray& bytes);
// Generates the clip under that name; failures fail the test, here and in render().
QString clip(const QString& name, const ClipSpec& recipe = {.frames = 100});
// A copy of the file cut to that share of its bytes.
QString cutCopy(const QString& path, double keep);
std::unique_ptr<ffmpeg::FilgraphManager> render(const QString& path);
// The frame on show as a bitmap file's bytes, or its index (-1 when unreadable).
Result<QByteArray> snapshot(ffmpeg::FilgraphManager& graph);
Result<int> frameOnShow(ffmpeg::FilgraphManager& graph);

}  // namespace kadrel::test
