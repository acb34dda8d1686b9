// kadrel-seek-floor: the least decoding that a paused move to each given time needs on this
// machine, as a floor to hold Kadrel's seek times against.
//
//   kadrel-seek-floor VIDEO SECONDS...
//
// For each time, a fresh decoder with Kadrel's thread settings starts at the keyframe at or
// before it and decodes forward; pictures nothing refers to that end by the time are never
// decoded, and at an IDR keyframe past the time the decoder is emptied instead of
// decoding it. The clock runs from the seek (opening the file is not counted) until a picture
// starting after the time, or the last one before the IDR, has come out. No picture is
// converted or written. Output: median_ms=<ms> worst_ms=<ms>

#include "media/ffmpeg/Decoder.h"
#include "media/ffmpeg/ReferenceScan.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace kadrel::ffmpeg;

namespace {

struct Input {
    InputPtr format;
    const AVStream* video = nullptr;
    Decoder decoder;
};

bool open(const char* path, Input& input)
{
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, path, nullptr, nullptr) < 0)
        return false;
    input.format.reset(raw);
    if (avformat_find_stream_info(raw, nullptr) < 0)
        return false;
    const int index = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (index < 0)
        return false;
    input.video = raw->streams[index];
    return input.decoder.open(input.video).ok();
}

// Milliseconds until the picture at seconds is known, decoding no more than it needs.
double timeOneMove(Input& input, double seconds)
{
    const AVStream* video = input.video;
    const double tick = av_q2d(video->time_base);
    const int64_t origin = video->start_time != AV_NOPTS_VALUE ? video->start_time : 0;
    const int64_t target = origin + int64_t(seconds / tick);
    const ReferenceScan references(video->codecpar);
    const auto start = std::chrono::steady_clock::now();
    avformat_seek_file(input.format.get(), video->index, INT64_MIN, target, target, 0);
    PacketPtr packet = makePacket();
    bool known = false;
    bool decoded = false;
    const auto sink = [&](AVFrame* frame) { known = known || frame->pts > target; };
    while (!known && av_read_frame(input.format.get(), packet.get()) >= 0) {
        // A picture that ends by the time is not the one asked for.
        const bool before = packet->pts + packet->duration <= target;
        const bool wanted = packet->stream_index == video->index
                            && !(before && references.nonReference(packet.get()));
        if (wanted && decoded && packet->pts > target
            && references.startsClosedGroup(packet.get())) {
            input.decoder.decode(nullptr, sink);
            break;
        }
        if (wanted) {
            input.decoder.decode(packet.get(), sink);
            decoded = true;
        }
        av_packet_unref(packet.get());
    }
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: kadrel-seek-floor VIDEO SECONDS...\n");
        return 2;
    }
    std::vector<double> ms;
    for (int i = 2; i < argc; ++i) {
        Input input;
        if (!open(argv[1], input)) {
            std::fprintf(stderr, "kadrel-seek-floor: cannot decode %s\n", argv[1]);
            return 1;
        }
        ms.push_back(timeOneMove(input, std::atof(argv[i])));
    }
    std::sort(ms.begin(), ms.end());
    const size_t n = ms.size();
    std::printf("median_ms=%.1f worst_ms=%.1f\n", (ms[(n - 1) / 2] + ms[n / 2]) / 2, ms.back());
    return 0;
}
