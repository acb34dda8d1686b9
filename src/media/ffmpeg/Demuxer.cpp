#include "media/ffmpeg/Demuxer.h"

#include "media/MediaErrors.h"

extern "C" {
#include <libavutil/display.h>
}

#include <QFile>

#include <algorithm>
#include <climits>
#include <cmath>

namespace kadrel::ffmpeg {

namespace {

// How much of the file's end is read to find where its last packets end.
constexpr int64_t kTailSeconds = 10;
constexpr int kTailPackets = 20000;
// How much of a streamed file's end is read to find its last packets.
constexpr int64_t kTailBytes = 4 << 20;

double streamStart(const AVStream* s)
{
    return s->start_time == AV_NOPTS_VALUE ? 0.0 : s->start_time * av_q2d(s->time_base);
}

// The stream's display matrix: on the codec parameters since FFmpeg 6.1, on the stream before.
const uint8_t* displayMatrix(const AVStream* s)
{
#if LIBAVCODEC_VERSION_INT >= AV_VERSION_INT(60, 31, 102)
    const AVPacketSideData* side = av_packet_side_data_get(
        s->codecpar->coded_side_data, s->codecpar->nb_coded_side_data, AV_PKT_DATA_DISPLAYMATRIX);
    return side ? side->data : nullptr;
#else
    return av_stream_get_side_data(s, AV_PKT_DATA_DISPLAYMATRIX, nullptr);
#endif
}

// The end a stream states for itself on its clock, 0 when it states none.
double statedEnd(const AVStream* s)
{
    if (!s || s->duration == AV_NOPTS_VALUE || s->duration <= 0)
        return 0.0;
    return streamStart(s) + s->duration * av_q2d(s->time_base);
}

}  // namespace

Status Demuxer::open(const QString& path)
{
    AVFormatContext* raw = avformat_alloc_context();
    raw->interrupt_callback = {&Demuxer::checkInterrupt, this};
    if (PipeInput::isStream(path)) {
        if (Status s = m_pipe.open(path, [this] { return interrupted(); }); !s) {
            avformat_free_context(raw);
            return s;
        }
        raw->pb = m_pipe.context();
        raw->flags |= AVFMT_FLAG_CUSTOM_IO;
    }
    if (int err = avformat_open_input(&raw, QFile::encodeName(path).constData(), nullptr, nullptr);
        err < 0)
        return Status::failure(mediaerror::kOpen, QStringLiteral("Cannot open %1: %2")
                                               .arg(path, avErrorText(err)));
    m_input.reset(raw);
    if (int err = avformat_find_stream_info(raw, nullptr); err < 0)
        return Status::failure(mediaerror::kOpen, QStringLiteral("Cannot read %1: %2")
                                               .arg(path, avErrorText(err)));
    chooseStreams();
    if (!m_video && !m_audio)
        return Status::failure(mediaerror::kNoStreams,
                               QStringLiteral("%1 holds neither playable video nor sound").arg(path));
    m_origin = streamStart(m_video ? m_video : m_audio);
    readVideoProperties();
    computeDuration(path);
    return {};
}

int Demuxer::checkInterrupt(void* demuxer)
{
    return static_cast<const Demuxer*>(demuxer)->interrupted() ? 1 : 0;
}

void Demuxer::chooseStreams()
{
    AVFormatContext* ic = m_input.get();
    const int video = av_find_best_stream(ic, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (video >= 0 && !(ic->streams[video]->disposition & AV_DISPOSITION_ATTACHED_PIC)
        && avcodec_find_decoder(ic->streams[video]->codecpar->codec_id)
        && ic->streams[video]->codecpar->width > 0)
        m_video = ic->streams[video];
    const int audio = av_find_best_stream(ic, AVMEDIA_TYPE_AUDIO, -1, video, nullptr, 0);
    if (audio >= 0 && avcodec_find_decoder(ic->streams[audio]->codecpar->codec_id))
        m_audio = ic->streams[audio];
    for (unsigned i = 0; i < ic->nb_streams; ++i)
        if (ic->streams[i] != m_video && ic->streams[i] != m_audio)
            ic->streams[i]->discard = AVDISCARD_ALL;
}

void Demuxer::readVideoProperties()
{
    if (!m_video)
        return;
    AVRational rate = m_video->avg_frame_rate;
    if (rate.num <= 0 || rate.den <= 0)
        rate = m_video->r_frame_rate;
    m_timePerFrame = rate.num > 0 && rate.den > 0 ? av_q2d(av_inv_q(rate)) : 0.0;

    if (const uint8_t* matrix = displayMatrix(m_video)) {
        // The matrix turns counter-clockwise; the picture is shown turned the other way.
        const double angle = -av_display_rotation_get(reinterpret_cast<const int32_t*>(matrix));
        const int quarter = static_cast<int>(std::lround(angle / 90.0));
        m_rotation = ((quarter % 4) + 4) % 4 * 90;
    }
    for (int i = 0, n = avformat_index_get_entries_count(m_video); i < n; ++i) {
        const AVIndexEntry* e = avformat_index_get_entry(m_video, i);
        if (!e || e->timestamp == AV_NOPTS_VALUE)
            continue;
        const double t = toSeconds(m_video, e->timestamp);
        m_lastPromised = std::max(m_lastPromised, t);
        if (e->flags & AVINDEX_KEYFRAME)
            m_keyframes.push_back(t);
    }
    std::sort(m_keyframes.begin(), m_keyframes.end());
    if (m_keyframes.empty() && m_video->duration > 0 && m_timePerFrame > 0.0)
        m_lastPromised = streamStart(m_video) + m_video->duration * av_q2d(m_video->time_base)
                         - m_origin - m_timePerFrame;
}

// The end of the longest stream, else of the last packets in the file, else the container's
// own length, from program time 0. The video's own end likewise, so that a sound track
// running on past the picture is not taken for more frames.
void Demuxer::computeDuration(const QString& path)
{
    Ends ends{std::max(statedEnd(m_video), statedEnd(m_audio)), statedEnd(m_video)};
    if (ends.any <= 0.0)
        ends = tailEnds(path);
    if (ends.any <= 0.0 && m_input->duration > 0) {
        const double start = m_input->start_time == AV_NOPTS_VALUE
                                 ? 0.0
                                 : m_input->start_time / double(AV_TIME_BASE);
        ends.any = start + m_input->duration / double(AV_TIME_BASE);
    }
    m_duration = std::max(0.0, ends.any - m_origin);
    m_videoEnd = ends.video > 0.0 ? std::clamp(ends.video - m_origin, 0.0, m_duration) : m_duration;
}

// Containers disagree on whether their own length counts from 0 or from the first
// timestamp; the last packets do not. They are read through a second reader, so that this
// one stays at the start of the file. A streamed file states no length at all: its end is
// found from its last bytes, else by reading it through.
Demuxer::Ends Demuxer::tailEnds(const QString& path) const
{
    InputPtr tail = openSecondReader(path);
    if (!tail)
        return {};
    if (m_input->duration > 0) {
        const int64_t start = m_input->start_time == AV_NOPTS_VALUE ? 0 : m_input->start_time;
        const int64_t from = start + m_input->duration - kTailSeconds * AV_TIME_BASE;
        avformat_seek_file(tail.get(), -1, INT64_MIN, from, from, 0);
        return lastPacketsEnds(tail.get());
    }
    const int64_t size = avio_size(tail->pb);
    if (size > kTailBytes && av_seek_frame(tail.get(), -1, size - kTailBytes, AVSEEK_FLAG_BYTE) >= 0)
        if (const Ends ends = lastPacketsEnds(tail.get()); ends.any > 0.0)
            return ends;
    tail = openSecondReader(path);
    return tail ? lastPacketsEnds(tail.get()) : Ends{};
}

InputPtr Demuxer::openSecondReader(const QString& path) const
{
    if (isStream())
        return nullptr;  // a second reader of a stream would take the first one's data
    AVFormatContext* raw = avformat_alloc_context();
    raw->interrupt_callback = m_input->interrupt_callback;
    if (avformat_open_input(&raw, QFile::encodeName(path).constData(), nullptr, nullptr) < 0)
        return nullptr;
    return InputPtr(raw);
}

// The ends of the chosen streams' packets from the reading position on (up to a limit when
// the container says how long it is).
Demuxer::Ends Demuxer::lastPacketsEnds(AVFormatContext* tail) const
{
    const int limit = m_input->duration > 0 ? kTailPackets : INT_MAX;
    const PacketPtr packet = makePacket();
    const int videoIndex = m_video ? m_video->index : -1;
    Ends ends;
    for (int n = 0; n < limit && av_read_frame(tail, packet.get()) >= 0; ++n) {
        const int index = packet->stream_index;
        const bool chosen = index == videoIndex || (m_audio && index == m_audio->index);
        const int64_t ts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (chosen && ts != AV_NOPTS_VALUE && index < static_cast<int>(tail->nb_streams)) {
            const double base = av_q2d(tail->streams[index]->time_base);
            const double length = packet->duration > 0 ? packet->duration * base
                                  : index == videoIndex         ? m_timePerFrame
                                                                : 0.0;
            ends.any = std::max(ends.any, ts * base + length);
            if (index == videoIndex)
                ends.video = std::max(ends.video, ts * base + length);
        }
        av_packet_unref(packet.get());
    }
    return ends;
}

double Demuxer::toSeconds(const AVStream* s, int64_t pts) const
{
    return pts * av_q2d(s->time_base) - m_origin;
}

int Demuxer::read(AVPacket* packet)
{
    for (;;) {
        const int err = av_read_frame(m_input.get(), packet);
        if (err == AVERROR(EAGAIN))
            continue;
        if (err < 0)
            return err;
        if ((m_video && packet->stream_index == m_video->index)
            || (m_audio && packet->stream_index == m_audio->index))
            return 0;
        av_packet_unref(packet);
    }
}

int Demuxer::seek(double seconds)
{
    AVStream* s = m_video ? m_video : m_audio;
    const int64_t ts = std::llround((seconds + m_origin) / av_q2d(s->time_base));
    int err = avformat_seek_file(m_input.get(), s->index, INT64_MIN, ts, ts, 0);
    if (err < 0)
        err = av_seek_frame(m_input.get(), s->index, ts, AVSEEK_FLAG_BACKWARD);
    return err;
}

}  // namespace kadrel::ffmpeg
