#pragma once
// Where decoded sound comes from and where it goes: the decode-ahead queue hands out chunks,
// the device plays them. Both sit behind small interfaces so that the sound path can be
// driven by fakes in unit tests.

#include <QtGlobal>

#include <cstdint>
#include <vector>

namespace kadrel::ffmpeg {

struct SoundChunk {
    std::vector<int16_t> samples;  // interleaved, in the output's format
    double start = 0.0;            // seconds on the program's time line
    int serial = -1;
};

class SoundSource {
public:
    virtual ~SoundSource() = default;
    // The next chunk of the present position, or false when none is ready yet.
    virtual bool takeSound(SoundChunk& chunk) = 0;
};

// A sound device in push mode, 16-bit interleaved samples.
class SoundSink {
public:
    virtual ~SoundSink() = default;
    virtual int sampleRate() const = 0;
    virtual int channels() const = 0;
    // Starts the device when it is not running; false when it cannot play.
    virtual bool open() = 0;
    // Bytes the device takes now without blocking.
    virtual qint64 bytesFree() const = 0;
    // Bytes written and not heard yet (devices may report this in coarse steps).
    virtual qint64 bytesQueued() const = 0;
    virtual void write(const char* data, qint64 bytes) = 0;
    // Drops what is queued; the next open() starts afresh.
    virtual void reset() = 0;
};

}  // namespace kadrel::ffmpeg
