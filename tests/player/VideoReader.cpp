#include "VideoReader.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <memory>

namespace {
struct Input {
    AVFormatContext* format = nullptr;
    AVCodecContext* video = nullptr;
    AVCodecContext* audio = nullptr;
    int videoIndex = -1, audioIndex = -1;
    SwsContext* scaler = nullptr;
    AVFrame* frame = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();
    // The end of each stream's last packet, in its time base.
    int64_t videoStart = AV_NOPTS_VALUE, videoEnd = 0, audioStart = AV_NOPTS_VALUE, audioEnd = 0;
    ~Input()
    {
        av_packet_free(&packet);
        av_frame_free(&frame);
        sws_freeContext(scaler);
        avcodec_free_context(&video);
        avcodec_free_context(&audio);
        avformat_close_input(&format);
    }
};

AVCodecContext* OpenDecoder(const AVStream* stream)
{
    const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
    AVCodecContext* context = decoder ? avcodec_alloc_context3(decoder) : nullptr;
    if (!context) return nullptr;
    if (avcodec_parameters_to_context(context, stream->codecpar) < 0 || avcodec_open2(context, decoder, nullptr) < 0)
        avcodec_free_context(&context);
    return context;
}

void KeepPicture(Input& in, const AVFrame* frame, DecodedVideo& out)
{
    in.scaler = sws_getCachedContext(in.scaler, frame->width, frame->height, AVPixelFormat(frame->format),
                                     frame->width, frame->height, AV_PIX_FMT_RGB24, SWS_POINT | SWS_ACCURATE_RND,
                                     nullptr, nullptr, nullptr);
    std::vector<unsigned char> rgb(size_t(frame->width) * size_t(frame->height) * 3);
    uint8_t* planes[1] = {rgb.data()};
    const int strides[1] = {frame->width * 3};
    sws_scale(in.scaler, frame->data, frame->linesize, 0, frame->height, planes, strides);
    out.kept.push_back(std::move(rgb));
}

// Takes every frame the decoder has ready.
void Drain(Input& in, AVCodecContext* codec, const std::set<int64_t>& keep, DecodedVideo& out)
{
    while (avcodec_receive_frame(codec, in.frame) >= 0) {
        if (codec == in.video) {
            if (keep.count(out.frames)) KeepPicture(in, in.frame, out);
            ++out.frames;
        } else {
            out.samples += in.frame->nb_samples;
            const AVSampleFormat format = AVSampleFormat(in.frame->format);
            const int step = av_sample_fmt_is_planar(format) ? 1 : in.frame->ch_layout.nb_channels;
            const auto* floats = reinterpret_cast<const float*>(in.frame->data[0]);
            const auto* shorts = reinterpret_cast<const int16_t*>(in.frame->data[0]);
            const bool isFloat = av_get_packed_sample_fmt(format) == AV_SAMPLE_FMT_FLT;
            const bool isShort = av_get_packed_sample_fmt(format) == AV_SAMPLE_FMT_S16;
            for (int i = 0; i < in.frame->nb_samples && (isFloat || isShort); ++i)
                out.firstChannel.push_back(isFloat ? floats[i * step] : shorts[i * step] / 32768.0f);
        }
        av_frame_unref(in.frame);
    }
}

void NoteExtent(const AVPacket* packet, int64_t& start, int64_t& end)
{
    if (packet->pts == AV_NOPTS_VALUE) return;
    if (start == AV_NOPTS_VALUE || packet->pts < start) start = packet->pts;
    end = std::max(end, packet->pts + packet->duration);
}

double Seconds(int64_t start, int64_t end, AVRational base)
{
    return start == AV_NOPTS_VALUE ? 0.0 : double(end - start) * av_q2d(base);
}
}  // namespace

DecodedVideo ReadVideo(const std::string& path, const std::set<int64_t>& keep)
{
    DecodedVideo out;
    Input in;
    if (avformat_open_input(&in.format, path.c_str(), nullptr, nullptr) < 0 ||
        avformat_find_stream_info(in.format, nullptr) < 0) {
        out.error = "cannot open " + path;
        return out;
    }
    out.container = in.format->iformat->name;
    in.videoIndex = av_find_best_stream(in.format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    in.audioIndex = av_find_best_stream(in.format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (in.videoIndex >= 0) {
        const AVStream* stream = in.format->streams[in.videoIndex];
        in.video = OpenDecoder(stream);
        out.videoCodec = avcodec_get_name(stream->codecpar->codec_id);
        out.width = stream->codecpar->width;
        out.height = stream->codecpar->height;
        out.fps = av_q2d(stream->avg_frame_rate);
    }
    if (in.audioIndex >= 0) {
        const AVStream* stream = in.format->streams[in.audioIndex];
        in.audio = OpenDecoder(stream);
        out.audioCodec = avcodec_get_name(stream->codecpar->codec_id);
        out.audioRate = stream->codecpar->sample_rate;
        out.audioChannels = stream->codecpar->ch_layout.nb_channels;
        if (stream->duration != AV_NOPTS_VALUE)
            out.declaredSamples = av_rescale_q(stream->duration, stream->time_base, AVRational{1, out.audioRate});
    }
    if ((in.videoIndex >= 0 && !in.video) || (in.audioIndex >= 0 && !in.audio)) {
        out.error = "no decoder for a stream of " + path;
        return out;
    }
    while (av_read_frame(in.format, in.packet) >= 0) {
        AVCodecContext* codec = nullptr;
        if (in.packet->stream_index == in.videoIndex) {
            codec = in.video;
            NoteExtent(in.packet, in.videoStart, in.videoEnd);
        } else if (in.packet->stream_index == in.audioIndex) {
            codec = in.audio;
            NoteExtent(in.packet, in.audioStart, in.audioEnd);
        }
        if (codec && avcodec_send_packet(codec, in.packet) >= 0) Drain(in, codec, keep, out);
        av_packet_unref(in.packet);
    }
    for (AVCodecContext* codec : {in.video, in.audio}) {
        if (!codec) continue;
        avcodec_send_packet(codec, nullptr);
        Drain(in, codec, keep, out);
    }
    if (in.videoIndex >= 0)
        out.videoSeconds = Seconds(in.videoStart, in.videoEnd, in.format->streams[in.videoIndex]->time_base);
    if (in.audioIndex >= 0)
        out.audioSeconds = Seconds(in.audioStart, in.audioEnd, in.format->streams[in.audioIndex]->time_base);
    return out;
}
