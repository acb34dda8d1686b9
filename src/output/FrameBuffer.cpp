#include "output/FrameBuffer.h"

#include "output/FrameFile.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace kadrel {

void AlignedBytes::Free::operator()(unsigned char* p) const
{
    std::free(p);
}

void AlignedBytes::reserve(std::size_t size)
{
    const std::size_t wanted = roundUpToBlock(size);
    if (wanted <= m_capacity)
        return;
    auto* memory = static_cast<unsigned char*>(std::aligned_alloc(kDirectIoBlock, wanted));
    if (!memory)
        throw std::bad_alloc();
    std::memset(memory, 0, wanted);
    m_data.reset(memory);
    m_capacity = wanted;
}

FrameBuffer::FrameBuffer() = default;
FrameBuffer::~FrameBuffer() = default;

Status FrameBuffer::reserveDib(std::size_t dibBytes)
{
    m_dibBytes = dibBytes;
    if (m_mapAt.isEmpty()) {
        m_memory.reserve(kHeaderRoom + dibBytes);
        return {};
    }
    const QString path = std::exchange(m_mapAt, QString());
    if (Status made = MappedFile::create(path, kHeaderRoom + dibBytes, m_mapped); !made)
        return made;
    if (!m_mapped)
        m_memory.reserve(kHeaderRoom + dibBytes);
    return {};
}

unsigned char* FrameBuffer::withHeaderRoom()
{
    return m_mapped ? m_mapped->data() : m_memory.data();
}

std::unique_ptr<MappedFile> FrameBuffer::takeMappedFile()
{
    return std::move(m_mapped);
}

}  // namespace kadrel
