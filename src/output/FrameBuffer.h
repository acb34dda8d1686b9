#pragma once
// The memory a frame snapshot is converted into on its way to a file.
//
//   AlignedBytes  memory aligned for direct I/O that only grows, so it is allocated once a run
//   FrameBuffer   the renderer's packed DIB with room for a bitmap's file header before it, so
//                 that a bitmap file is written straight from it without a copy
//   FileImage     the bytes of one file, as an encoder hands them to the writer

#include "media/MediaInterfaces.h"

#include <cstddef>
#include <memory>

namespace kadrel {

// Direct I/O takes memory, offsets and lengths in whole blocks of this size.
inline constexpr std::size_t kDirectIoBlock = 4096;

constexpr std::size_t roundUpToBlock(std::size_t size)
{
    return (size + kDirectIoBlock - 1) / kDirectIoBlock * kDirectIoBlock;
}

// Direct I/O is used when data starts on a block boundary and the memory runs on to the next
// block boundary after size.
struct FileImage {
    const unsigned char* data = nullptr;
    std::size_t size = 0;
};

class AlignedBytes {
public:
    // Room for at least size bytes plus the padding to the next block. Growing starts afresh
    // with zeros; otherwise the contents stay.
    void reserve(std::size_t size);
    unsigned char* data() { return m_data.get(); }
    std::size_t capacity() const { return m_capacity; }

private:
    struct Free {
        void operator()(unsigned char* p) const;
    };
    std::unique_ptr<unsigned char, Free> m_data;
    std::size_t m_capacity = 0;
};

// One frame: the packed DIB the renderer delivers (a 40-byte BITMAPINFOHEADER, then the
// rows), or at depth 16 its 16-bit picture (a DeepImageHeader, then the rows), preceded by
// kHeaderRoom free bytes that start on a block boundary.
class FrameBuffer {
public:
    static constexpr std::size_t kHeaderRoom = 14;  // a bitmap's file header

    // Makes room for a picture of dibBytes at depth 8 or 16 bits a channel; earlier contents
    // are not cleared.
    void reserveDib(std::size_t dibBytes, int depth = 8);
    unsigned char* dib() { return m_memory.data() + kHeaderRoom; }
    std::size_t dibBytes() const { return m_dibBytes; }
    int depth() const { return m_depth; }
    // The header room and the DIB as one run of bytes, starting on a block boundary.
    unsigned char* withHeaderRoom() { return m_memory.data(); }
    // A picture handed over as its planes instead of the DIB (see takeSnapshot); empty when
    // the DIB holds it.
    YuvPlanes& planes() { return m_planes; }

private:
    AlignedBytes m_memory;
    std::size_t m_dibBytes = 0;
    YuvPlanes m_planes;
    int m_depth = 8;
};

}  // namespace kadrel
