#include "media/ffmpeg/Demuxer.h"

#include "media/MediaErrors.h"

extern "C" {
#include <libavutil/display.h>
}

#include <QFile>

#include <algorithm>
#include <climits>
#include <cmath>
#include <set>

namespace kadrel::ffmpeg {

namespace {

// How much of the file's end is read to find where its last packets end.
constexpr int64_t kTailSeconds = 10;
constexpr int kTailPackets = 20000;
// How much of a streamed file's end is read to find its last packets.
constexpr int64_t kTailBytes = 4 << 20;
// Packets ending this much before the length the file states mean the file was cut.
constexpr double kCutShort = 1.0;

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

// Containers whose streams state no length of their own: what libavformat gives as a stream's
// length is the file's, which runs to the end of the longer stream.
bool statesNoStreamLength(const AVInputFormat* format)
{
    const QByteArray name(format->name);
    return name == "asf" || name == "mpeg" || name == "flv" || name == "matroska,webm";
}

// The stream of the tail reader that is s of the main one: readers number the streams of a
// program stream or FLV in the order they first meet them.
int sameStream(const AVFormatContext* tail, const AVStream* s)
{
    for (unsigned i = 0; s && i < tail->nb_streams; ++i)
        if (tail->streams[i]->id == s->id
            && tail->streams[i]->codecpar->codec_type == s->codecpar->codec_type)
            return static_cast<int>(i);
    return -1;
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

QString Demuxer::creationTime() const
{
    for (const AVDictionary* tags : {m_input ? m_input->metadata : nullptr,
                                     m_video ? m_video->metadata : nullptr})
        if (const AVDictionaryEntry* e = av_dict_get(tags, "creation_time", nullptr, 0))
            return QString::fromUtf8(e->value);
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
    const int entries = avformat_index_get_entries_count(m_video);
    const bool listsAll = entries > 0 && entries == m_video->nb_frames;
    for (int i = 0; i < entries; ++i) {
        const AVIndexEntry* e = avformat_index_get_entry(m_video, i);
        if (!e || e->timestamp == AV_NOPTS_VALUE)
            continue;
        m_shownPictures += listsAll && !(e->flags & AVINDEX_DISCARD_FRAME);
        const double t = toSeconds(m_video, e->timestamp);
        m_lastPromised = std::max(m_lastPromised, t);
        if (e->flags & AVINDEX_KEYFRAME)
            m_keyframes.push_back(t);
    }
    std::sort(m_keyframes.begin(), m_keyframes.end());
}

// The end of the longest stream, else of the last packets in the file, else the container's
// own length, from program time 0. The video's own end likewise, so that a sound track
// running on past the picture is not taken for more frames: where the container states no
// length per stream, it is where the last video packets end. The last frame the file
// promises is the last one before that end, or a later one its index lists: a picture
// missing before it is missing from the file, never the one before it again.
void Demuxer::computeDuration(const QString& path)
{
    Ends ends{std::max(statedEnd(m_video), statedEnd(m_audio)), statedEnd(m_video)};
    if (ends.any <= 0.0) {
        ends = tailEnds(path);
    } else if (m_video && statesNoStreamLength(m_input->iformat)) {
        if (const Ends tail = tailEnds(path); tail.video > 0.0)
            ends = {std::max(ends.any, tail.any), tail.video};
    }
    const double stated = m_input->duration <= 0 ? 0.0
                          : (m_input->start_time == AV_NOPTS_VALUE ? 0.0
                                                                   : m_input->start_time)
                                    / double(AV_TIME_BASE)
                                + m_input->duration / double(AV_TIME_BASE);
    if (ends.any <= 0.0)
        ends.any = stated;
    // A Matroska file whose packets stop well before the length its header states was cut
    // short: its frames run to that length, and those past its data are missing.
    if (QByteArray(m_input->iformat->name) == "matroska,webm" && ends.any + kCutShort < stated)
        ends = {stated, stated};
    m_duration = std::max(0.0, ends.any - m_origin);
    m_videoEnd = ends.video > 0.0 ? std::clamp(ends.video - m_origin, 0.0, m_duration) : m_duration;
    // An index of every picture (MP4's) counts the pictures shown, where an edit list may
    // state a little more.
    if (m_shownPictures > 0)
        m_videoEnd = std::min(m_videoEnd, m_shownPictures * m_timePerFrame);
    if (m_video)
        m_lastPromised = std::max(m_lastPromised, m_videoEnd - m_timePerFrame);
}

// Containers disagree on whether their own length counts from 0 or from the first
// timestamp; the last packets do not. They are read through a second reader, so that this
// one stays at the start of the file: from the last seconds of the stated length, else from
// the last bytes (a program stream's reader knows no stream to seek by, a cut Matroska file
// has lost its index), else by reading the file through. A streamed file states no length.
Demuxer::Ends Demuxer::tailEnds(const QString& path) const
{
    InputPtr tail = openSecondReader(path);
    if (!tail)
        return {};
    if (m_input->duration > 0) {
        const int64_t start = m_input->start_time == AV_NOPTS_VALUE ? 0 : m_input->start_time;
        const int64_t from = start + m_input->duration - kTailSeconds * AV_TIME_BASE;
        if (avformat_seek_file(tail.get(), -1, INT64_MIN, from, from, 0) >= 0)
            if (const Ends ends = lastPacketsEnds(tail.get()); ends.any > 0.0)
                return ends;
        tail = openSecondReader(path);
    }
    const int64_t size = tail ? avio_size(tail->pb) : 0;
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
// the container says how long it is). A program stream gives some pictures no time of their
// own (its reference pictures none, its last one the time of the one before): then the last
// picture is as many frames after the first keyframe with a time as there are pictures from
// it, less those shown before it.
Demuxer::Ends Demuxer::lastPacketsEnds(AVFormatContext* tail) const
{
    const int limit = m_input->duration > 0 ? kTailPackets : INT_MAX;
    const PacketPtr packet = makePacket();
    Ends ends;
    std::set<int64_t> videoTimes;
    bool untimed = false;
    double keyframe = -1e300;
    int fromKeyframe = 0;
    for (int n = 0; n < limit && av_read_frame(tail, packet.get()) >= 0; ++n) {
        const int index = packet->stream_index;
        const bool video = index == sameStream(tail, m_video);
        const int64_t ts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if ((video || index == sameStream(tail, m_audio)) && ts != AV_NOPTS_VALUE) {
            const double base = av_q2d(tail->streams[index]->time_base);
            const double length = packet->duration > 0 ? packet->duration * base
                                  : video              ? m_timePerFrame
                                                       : 0.0;
            ends.any = std::max(ends.any, ts * base + length);
            if (video)
                ends.video = std::max(ends.video, ts * base + length);
        }
        if (video) {
            const bool timed =
                packet->pts != AV_NOPTS_VALUE && videoTimes.insert(packet->pts).second;
            const double t = packet->pts * av_q2d(tail->streams[index]->time_base);
            untimed |= !timed;
            if (fromKeyframe > 0)
                fromKeyframe += !timed || t > keyframe;
            else if (timed && (packet->flags & AV_PKT_FLAG_KEY)) {
                keyframe = t;
                fromKeyframe = 1;
            }
        }
        av_packet_unref(packet.get());
    }
    if (untimed && fromKeyframe > 0) {
        ends.video = std::max(ends.video, keyframe + fromKeyframe * m_timePerFrame);
        ends.any = std::max(ends.any, ends.video);
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
