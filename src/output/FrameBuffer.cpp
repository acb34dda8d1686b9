#include "output/FrameBuffer.h"

#include <cstdlib>
#include <cstring>
#include <new>

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

void FrameBuffer::reserveDib(std::size_t dibBytes, int depth)
{
    m_memory.reserve(kHeaderRoom + dibBytes);
    m_dibBytes = dibBytes;
    m_planes = {};
    m_depth = depth;
}

}  // namespace kadrel
