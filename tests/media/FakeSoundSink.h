#pragma once
// A sound device that plays in virtual time (play()) or by the steady clock, keeps what it
// played, can report its queue in coarse steps as real devices do, and can stall.

#include "media/ffmpeg/SoundSink.h"

#include <algorithm>
#include <chrono>
#include <deque>
#include <memory>
#include <vector>

namespace kadrel::test {

class FakeSoundSink final : public ffmpeg::SoundSink {
public:
    struct Options {
        int rate = 8000;
        double buffer = 0.2;       // seconds the device holds
        int reportStep = 1;        // the queue is reported rounded up to this many frames
        bool realTime = false;     // plays by the steady clock, else only through play()
    };
    struct State {
        std::deque<int16_t> queue;  // left channel of what waits to be heard
        std::vector<int16_t> heard;  // left channel of what was played
        bool stalled = false;        // plays nothing
        std::chrono::steady_clock::time_point last = std::chrono::steady_clock::now();
    };

    explicit FakeSoundSink(Options options) : m_options(options) {}
    std::shared_ptr<State> state() const { return m_state; }

    void play(long frames) const
    {
        if (m_state->stalled)
            return;
        const long played = std::min<long>(frames, long(m_state->queue.size()));
        m_state->heard.insert(m_state->heard.end(), m_state->queue.begin(),
                              m_state->queue.begin() + played);
        m_state->queue.erase(m_state->queue.begin(), m_state->queue.begin() + played);
    }

    int sampleRate() const override { return m_options.rate; }
    int channels() const override { return 2; }
    bool open() override { return true; }
    qint64 bytesFree() const override { return capacity() * 4 - bytesQueued(); }
    qint64 bytesQueued() const override
    {
        catchUp();
        const long step = m_options.reportStep;
        const long frames = long(m_state->queue.size());
        return std::min(capacity(), (frames + step - 1) / step * step) * 4;
    }
    void write(const char* data, qint64 bytes) override
    {
        const auto* samples = reinterpret_cast<const int16_t*>(data);
        for (qint64 i = 0; i < bytes / 2; i += 2)
            m_state->queue.push_back(samples[i]);
    }
    void reset() override { m_state->queue.clear(); }

private:
    long capacity() const { return long(m_options.buffer * m_options.rate); }
    void catchUp() const
    {
        if (!m_options.realTime)
            return;
        const auto now = std::chrono::steady_clock::now();
        const double seconds = std::chrono::duration<double>(now - m_state->last).count();
        const auto frames = long(seconds * m_options.rate);
        if (frames <= 0)
            return;
        m_state->last += std::chrono::nanoseconds(long(frames * 1e9 / m_options.rate));
        play(frames);
    }

    Options m_options;
    std::shared_ptr<State> m_state = std::make_shared<State>();
};

}  // namespace kadrel::test
