#include "support/FakeGraph.h"

#include <algorithm>
#include <cstring>

namespace kadrel::test {

Status FakeGraph::record(const QString& entry, QString name, bool needsVideo) const
{
    m_script->calls << entry;
    if (name.isEmpty())
        name = entry;
    if (needsVideo && !m_script->hasVideo)
        return Status::failure(7, QStringLiteral("No video"));
    if (m_script->failing.contains(name))
        return Status::failure(5, name + QStringLiteral(" failed"));
    return {};
}

Status FakeGraph::RenderFile(const QString& path)
{
    const Status s = record(QStringLiteral("RenderFile(%1)").arg(path), "RenderFile");
    return m_script->renderFails ? Status::failure(2, "Cannot render the file") : s;
}

Status FakeGraph::put_CurrentPosition(double seconds)
{
    Status s = call(QStringLiteral("put_CurrentPosition"), seconds);
    if (s)
        position = std::clamp(seconds, 0.0, m_script->duration);
    return s;
}

Status FakeGraph::put_Volume(std::int32_t level)
{
    Status s = call(QStringLiteral("put_Volume"), level);
    if (s)
        volume = level;
    return s;
}

Status FakeGraph::GetCurrentImage(std::int32_t bufferSize, void* buffer)
{
    const QString entry = QStringLiteral("GetCurrentImage(%1)").arg(bufferSize);
    if (Status s = record(entry, QStringLiteral("GetCurrentImage")); !s)
        return s;
    const std::int64_t w = m_script->videoWidth;
    const std::int64_t h = m_script->videoHeight;
    const int bits = m_script->bitsPerPixel;
    const std::int64_t pixelBytes = (w * bits + 31) / 32 * 4 * h;
    if (bufferSize < 40 + pixelBytes)
        return Status::failure(8, QStringLiteral("Buffer too small"));
    auto* bytes = static_cast<unsigned char*>(buffer);
    const std::int32_t header[10] = {40, static_cast<std::int32_t>(w), static_cast<std::int32_t>(h),
                                     1 | (bits << 16), 0, 0, 0, 0, 0, 0};
    std::memcpy(bytes, header, sizeof header);
    for (std::int64_t i = 0; i < pixelBytes; ++i)
        bytes[40 + i] = static_cast<unsigned char>(i);
    return {};
}

Status FakeGraph::put_Owner(QWidget* newOwner)
{
    const QString name = newOwner ? newOwner->objectName() : QStringLiteral("0");
    Status s = record(QStringLiteral("put_Owner(%1)").arg(name), QStringLiteral("put_Owner"), true);
    if (s)
        owner = newOwner;
    return s;
}

GraphFactory FakeGraphFactory::factory()
{
    return [this]() -> std::shared_ptr<IMediaControl> {
        ++script->graphsCreated;
        last = std::make_shared<FakeGraph>(script);
        return last;
    };
}

}  // namespace kadrel::test
