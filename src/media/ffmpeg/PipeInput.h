#pragma once
// Reading a video from a FIFO, a socket or a character device. Such a stream can block for
// good: its open waits for a writer, and a read waits for data that may never come. Here the
// stream is opened without waiting and read in short polls, so that the demuxer's interrupt
// (a close, or a stop the owner asks for) ends every wait.

#include "common/Status.h"
#include "media/ffmpeg/FfmpegHolders.h"

#include <QString>

#include <functional>

namespace kadrel::ffmpeg {

struct AvioDeleter {
    void operator()(AVIOContext* c) const;
};
using AvioPtr = std::unique_ptr<AVIOContext, AvioDeleter>;

class PipeInput {
public:
    // Whether path names such a stream rather than a file that can be read at will.
    static bool isStream(const QString& path);

    ~PipeInput();
    // Opens path; interrupted is asked while a read waits, and a true answer ends the read.
    Status open(const QString& path, std::function<bool()> interrupted);
    // The reading to hand to the container before it is opened; owned here.
    AVIOContext* context() const { return m_context.get(); }

private:
    static int read(void* input, uint8_t* buffer, int size);

    int m_fd = -1;
    std::function<bool()> m_interrupted;
    AvioPtr m_context;
};

}  // namespace kadrel::ffmpeg
