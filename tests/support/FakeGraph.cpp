#include "support/FakeGraph.h"

#include <algorithm>
#include <cstring>

namespace kadrel::test {

namespace {

QString number(double value)
{
    return QString::number(value, 'g', 12);
}

}  // namespace

Status FakeGraph::outcome(const QString& name) const
{
    if (m_script->failing.contains(name))
        return Status::failure(5, name + QStringLiteral(" failed"));
    return {};
}

Status FakeGraph::call(const QString& name)
{
    m_script->calls << name;
    return outcome(name);
}

Status FakeGraph::call(const QString& name, double argument)
{
    m_script->calls << QStringLiteral("%1(%2)").arg(name, number(argument));
    return outcome(name);
}

Status FakeGraph::video(const QString& name, std::int32_t argument)
{
    m_script->calls << QStringLiteral("%1(%2)").arg(name).arg(argument);
    if (!m_script->hasVideo)
        return Status::failure(7, QStringLiteral("No video"));
    return outcome(name);
}

Status FakeGraph::RenderFile(const QString& path)
{
    m_script->calls << QStringLiteral("RenderFile(%1)").arg(path);
    if (m_script->renderFails)
        return Status::failure(2, QStringLiteral("Cannot render the file"));
    return outcome(QStringLiteral("RenderFile"));
}

Result<double> FakeGraph::get_Duration()
{
    m_script->calls << QStringLiteral("get_Duration");
    if (Status s = outcome(QStringLiteral("get_Duration")); !s)
        return s;
    return m_script->duration;
}

Result<double> FakeGraph::get_CurrentPosition()
{
    m_script->calls << QStringLiteral("get_CurrentPosition");
    if (Status s = outcome(QStringLiteral("get_CurrentPosition")); !s)
        return s;
    return position;
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
    m_script->calls << QStringLiteral("put_Volume(%1)").arg(level);
    Status s = outcome(QStringLiteral("put_Volume"));
    if (s)
        volume = level;
    return s;
}

Result<double> FakeGraph::get_AvgTimePerFrame()
{
    m_script->calls << QStringLiteral("get_AvgTimePerFrame");
    if (!m_script->hasVideo)
        return Status::failure(7, QStringLiteral("No video"));
    if (Status s = outcome(QStringLiteral("get_AvgTimePerFrame")); !s)
        return s;
    return m_script->timePerFrame;
}

Result<std::int32_t> FakeGraph::get_VideoWidth()
{
    m_script->calls << QStringLiteral("get_VideoWidth");
    if (!m_script->hasVideo)
        return Status::failure(7, QStringLiteral("No video"));
    return m_script->videoWidth;
}

Result<std::int32_t> FakeGraph::get_VideoHeight()
{
    m_script->calls << QStringLiteral("get_VideoHeight");
    if (!m_script->hasVideo)
        return Status::failure(7, QStringLiteral("No video"));
    return m_script->videoHeight;
}

Status FakeGraph::GetCurrentImage(std::int32_t bufferSize, void* buffer)
{
    m_script->calls << QStringLiteral("GetCurrentImage(%1)").arg(bufferSize);
    if (Status s = outcome(QStringLiteral("GetCurrentImage")); !s)
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
    m_script->calls << QStringLiteral("put_Owner(%1)")
                           .arg(newOwner ? newOwner->objectName() : QStringLiteral("0"));
    if (!m_script->hasVideo)
        return Status::failure(7, QStringLiteral("No video"));
    Status s = outcome(QStringLiteral("put_Owner"));
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
