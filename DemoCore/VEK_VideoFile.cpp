#include "VEK_VideoFile.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/intreadwrite.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <cstdio>

namespace {
constexpr int kAudioBitRate = 192000;
constexpr int kKeyFrameSeconds = 2;   // players can jump to any point within 2 s
constexpr const char* kH264Preset = "superfast";   // keeps up with the drawing on two cores
constexpr const char* kH264Quality = "18";   // constant rate factor: visually lossless
constexpr int kMpeg4Quantiser = 3;

std::string AvError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

struct CodecContextFree {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFree {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFree {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
using CodecContext = std::unique_ptr<AVCodecContext, CodecContextFree>;
using Frame = std::unique_ptr<AVFrame, FrameFree>;
using Packet = std::unique_ptr<AVPacket, PacketFree>;

class VideoFile final : public FrameSink {
public:
    ~VideoFile() override;

    bool Open(const std::string& path, const RecordFormat& format, std::string& error);
    bool Write(const RecordedFrame& frame, std::string& error) override;
    bool Finish(std::string& error) override;
    std::string Summary() const override;

private:
    bool OpenVideo(std::string& error);
    bool OpenAudio(std::string& error);
    bool OpenStream(AVCodecContext* codec, AVStream*& stream, std::string& error);
    bool WriteAudio(const std::vector<int16_t>& samples, std::string& error);
    bool SendAudio(int samples, std::string& error);
    // Sends a frame (null: the end) and writes every packet the encoder gives back.
    bool Encode(AVCodecContext* codec, AVStream* stream, AVFrame* frame, std::string& error);
    bool WritePacket(AVCodecContext* codec, AVStream* stream, AVPacket* packet, std::string& error);
    bool WriteLastAudioPacket(std::string& error);
    bool Fail(std::string& error, const std::string& what, int code);

    std::string path_;
    RecordFormat format_;
    AVFormatContext* container_ = nullptr;
    bool fileOpen_ = false;
    bool headerWritten_ = false;
    CodecContext video_;
    CodecContext audio_;
    AVStream* videoStream_ = nullptr;
    AVStream* audioStream_ = nullptr;
    SwsContext* scaler_ = nullptr;
    SwrContext* resampler_ = nullptr;
    AVAudioFifo* fifo_ = nullptr;
    Frame picture_;
    Frame sound_;
    Packet packet_;
    // The audio packet written last is held back until the next, so that the last one
    // can be cut to the music's end: the encoder pads its last frame.
    Packet heldAudio_;
    bool holdingAudio_ = false;
    int64_t pictures_ = 0;
    int64_t samplesSent_ = 0;
};

VideoFile::~VideoFile()
{
    if (fileOpen_) avio_closep(&container_->pb);
    avformat_free_context(container_);
    sws_freeContext(scaler_);
    swr_free(&resampler_);
    if (fifo_) av_audio_fifo_free(fifo_);
}

bool VideoFile::Fail(std::string& error, const std::string& what, int code)
{
    error = path_ + ": " + what + (code < 0 ? " (" + AvError(code) + ")" : "");
    return false;
}

bool VideoFile::Open(const std::string& path, const RecordFormat& format, std::string& error)
{
    path_ = path;
    format_ = format;
    av_log_set_level(AV_LOG_ERROR);   // the encoders' statistics are not for the show's audience
    int code = avformat_alloc_output_context2(&container_, nullptr, nullptr, path.c_str());
    if (code < 0 || !container_) return Fail(error, "no container for this file name", code);
    packet_.reset(av_packet_alloc());
    heldAudio_.reset(av_packet_alloc());
    if (!packet_ || !heldAudio_ || !OpenVideo(error)) return false;
    if (format.audioRate > 0 && !OpenAudio(error)) return false;

    code = avio_open(&container_->pb, path.c_str(), AVIO_FLAG_WRITE);
    if (code < 0) return Fail(error, "cannot be written", code);
    fileOpen_ = true;
    AVDictionary* options = nullptr;
    // An MP4 file with its index in front starts playing before it has all arrived.
    if (std::string(container_->oformat->name).find("mp4") != std::string::npos)
        av_dict_set(&options, "movflags", "+faststart", 0);
    code = avformat_write_header(container_, &options);
    av_dict_free(&options);
    if (code < 0) return Fail(error, "cannot start the file", code);
    headerWritten_ = true;
    return true;
}

bool VideoFile::OpenStream(AVCodecContext* codec, AVStream*& stream, std::string& error)
{
    stream = avformat_new_stream(container_, nullptr);
    if (!stream) return Fail(error, "cannot add a stream", 0);
    const int code = avcodec_parameters_from_context(stream->codecpar, codec);
    if (code < 0) return Fail(error, "cannot describe a stream", code);
    stream->time_base = codec->time_base;
    return true;
}

bool VideoFile::OpenVideo(std::string& error)
{
    const AVCodec* encoder = avcodec_find_encoder_by_name("libx264");
    const bool h264 = encoder != nullptr;
    if (!encoder) encoder = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
    if (!encoder) return Fail(error, "this FFmpeg has neither an H.264 nor an MPEG-4 video encoder", 0);
    video_.reset(avcodec_alloc_context3(encoder));
    AVCodecContext* codec = video_.get();
    if (!codec) return Fail(error, "out of memory", 0);
    codec->width = format_.outputWidth;
    codec->height = format_.outputHeight;
    codec->time_base = AVRational{1, format_.fps};
    codec->framerate = AVRational{format_.fps, 1};
    codec->pix_fmt = AV_PIX_FMT_YUV420P;
    codec->gop_size = format_.fps * kKeyFrameSeconds;
    // The pictures are converted with the BT.601 matrix in studio range; say so, so that
    // players convert them back the same way.
    codec->colorspace = AVCOL_SPC_SMPTE170M;
    codec->color_primaries = AVCOL_PRI_SMPTE170M;
    codec->color_trc = AVCOL_TRC_SMPTE170M;
    codec->color_range = AVCOL_RANGE_MPEG;
    if (container_->oformat->flags & AVFMT_GLOBALHEADER) codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (h264) {
        av_opt_set(codec->priv_data, "preset", kH264Preset, 0);
        av_opt_set(codec->priv_data, "crf", kH264Quality, 0);
    } else {
        codec->flags |= AV_CODEC_FLAG_QSCALE;
        codec->global_quality = FF_QP2LAMBDA * kMpeg4Quantiser;
    }
    int code = avcodec_open2(codec, encoder, nullptr);
    if (code < 0) return Fail(error, "cannot open the video encoder", code);
    if (!OpenStream(codec, videoStream_, error)) return false;

    picture_.reset(av_frame_alloc());
    if (!picture_) return Fail(error, "out of memory", 0);
    picture_->format = codec->pix_fmt;
    picture_->width = codec->width;
    picture_->height = codec->height;
    code = av_frame_get_buffer(picture_.get(), 0);
    if (code < 0) return Fail(error, "out of memory", code);
    const bool scaled = format_.width != format_.outputWidth || format_.height != format_.outputHeight;
    scaler_ = sws_getContext(format_.width, format_.height, AV_PIX_FMT_RGB24, codec->width, codec->height,
                             AV_PIX_FMT_YUV420P, scaled ? SWS_BICUBIC : SWS_POINT, nullptr,
                             nullptr, nullptr);
    if (!scaler_) return Fail(error, "cannot convert the pictures", 0);
    return true;
}

// Matroska carries the music losslessly as FLAC, which has no encoder delay: every sample
// lands where it belongs. MP4 carries AAC, which every player knows; the container's edit
// list skips the encoder's delay and the last packet is cut to the music's end.
bool VideoFile::OpenAudio(std::string& error)
{
    const bool lossless = std::string(container_->oformat->name).find("matroska") != std::string::npos;
    const AVCodec* encoder = avcodec_find_encoder(lossless ? AV_CODEC_ID_FLAC : AV_CODEC_ID_AAC);
    if (!encoder) return Fail(error, lossless ? "this FFmpeg has no FLAC encoder" : "this FFmpeg has no AAC encoder", 0);
    audio_.reset(avcodec_alloc_context3(encoder));
    AVCodecContext* codec = audio_.get();
    if (!codec) return Fail(error, "out of memory", 0);
    codec->sample_fmt = lossless ? AV_SAMPLE_FMT_S16 : AV_SAMPLE_FMT_FLTP;
    codec->sample_rate = format_.audioRate;
    av_channel_layout_default(&codec->ch_layout, format_.audioChannels);
    if (!lossless) codec->bit_rate = kAudioBitRate;
    codec->time_base = AVRational{1, format_.audioRate};
    if (container_->oformat->flags & AVFMT_GLOBALHEADER) codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int code = avcodec_open2(codec, encoder, nullptr);
    if (code < 0) return Fail(error, "cannot open the audio encoder for this music", code);
    if (!OpenStream(codec, audioStream_, error)) return false;

    code = swr_alloc_set_opts2(&resampler_, &codec->ch_layout, codec->sample_fmt, codec->sample_rate,
                               &codec->ch_layout, AV_SAMPLE_FMT_S16, format_.audioRate, 0, nullptr);
    if (code < 0 || swr_init(resampler_) < 0) return Fail(error, "cannot convert the music", code);
    fifo_ = av_audio_fifo_alloc(codec->sample_fmt, format_.audioChannels, codec->frame_size);
    sound_.reset(av_frame_alloc());
    if (!fifo_ || !sound_) return Fail(error, "out of memory", 0);
    return true;
}

bool VideoFile::Write(const RecordedFrame& frame, std::string& error)
{
    if (frame.width != format_.width || frame.height != format_.height)
        return Fail(error, "the window changed size while recording", 0);
    int code = av_frame_make_writable(picture_.get());
    if (code < 0) return Fail(error, "out of memory", code);
    // OpenGL's rows run bottom to top: start at the last and step backwards.
    const int stride = frame.width * 3;
    const uint8_t* source[1] = {frame.rgb.data() + size_t(frame.height - 1) * size_t(stride)};
    const int strides[1] = {-stride};
    sws_scale(scaler_, source, strides, 0, frame.height, picture_->data, picture_->linesize);
    picture_->pts = pictures_++;
    if (!Encode(video_.get(), videoStream_, picture_.get(), error)) return false;
    return !audio_ || WriteAudio(frame.samples, error);
}

bool VideoFile::WriteAudio(const std::vector<int16_t>& samples, std::string& error)
{
    const int count = int(samples.size() / size_t(format_.audioChannels));
    if (count > 0) {
        const int room = swr_get_out_samples(resampler_, count);
        if (av_audio_fifo_realloc(fifo_, av_audio_fifo_size(fifo_) + room) < 0) return Fail(error, "out of memory", 0);
        uint8_t** planes = nullptr;
        if (av_samples_alloc_array_and_samples(&planes, nullptr, format_.audioChannels, room, audio_->sample_fmt, 0) < 0)
            return Fail(error, "out of memory", 0);
        const uint8_t* input[1] = {reinterpret_cast<const uint8_t*>(samples.data())};
        const int converted = swr_convert(resampler_, planes, room, input, count);
        if (converted > 0) av_audio_fifo_write(fifo_, reinterpret_cast<void**>(planes), converted);
        av_freep(&planes[0]);
        av_freep(&planes);
    }
    while (av_audio_fifo_size(fifo_) >= audio_->frame_size)
        if (!SendAudio(audio_->frame_size, error)) return false;
    return true;
}

// Sends `samples` samples from the fifo as one frame; the last one may be shorter.
bool VideoFile::SendAudio(int samples, std::string& error)
{
    AVFrame* frame = sound_.get();
    av_frame_unref(frame);
    frame->nb_samples = samples;
    frame->format = audio_->sample_fmt;
    frame->sample_rate = audio_->sample_rate;
    av_channel_layout_copy(&frame->ch_layout, &audio_->ch_layout);
    int code = av_frame_get_buffer(frame, 0);
    if (code < 0) return Fail(error, "out of memory", code);
    av_audio_fifo_read(fifo_, reinterpret_cast<void**>(frame->data), samples);
    frame->pts = samplesSent_;
    samplesSent_ += samples;
    return Encode(audio_.get(), audioStream_, frame, error);
}

bool VideoFile::Encode(AVCodecContext* codec, AVStream* stream, AVFrame* frame, std::string& error)
{
    int code = avcodec_send_frame(codec, frame);
    if (code < 0) return Fail(error, "the encoder refused a frame", code);
    while ((code = avcodec_receive_packet(codec, packet_.get())) >= 0) {
        if (codec != audio_.get()) {
            if (!WritePacket(codec, stream, packet_.get(), error)) return false;
            continue;
        }
        if (holdingAudio_ && !WritePacket(codec, stream, heldAudio_.get(), error)) return false;
        av_packet_move_ref(heldAudio_.get(), packet_.get());
        holdingAudio_ = true;
    }
    return code == AVERROR(EAGAIN) || code == AVERROR_EOF || Fail(error, "the encoder failed", code);
}

bool VideoFile::WritePacket(AVCodecContext* codec, AVStream* stream, AVPacket* packet, std::string& error)
{
    // Every picture lasts one frame; containers that add up durations need the last one's.
    if (codec == video_.get() && packet->duration == 0) packet->duration = 1;
    av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
    packet->stream_index = stream->index;
    const int code = av_interleaved_write_frame(container_, packet);
    return code >= 0 || Fail(error, "cannot be written", code);
}

// The music ends at samplesSent_ (its first sample at 0); what the last packet holds
// beyond is the encoder's padding, which the packet's duration and a note to discard it
// leave out.
bool VideoFile::WriteLastAudioPacket(std::string& error)
{
    if (!holdingAudio_) return true;
    AVPacket* last = heldAudio_.get();
    const int64_t music = samplesSent_ - last->pts;
    if (last->pts != AV_NOPTS_VALUE && music > 0 && music < last->duration) {
        const int64_t padding = last->duration - music;
        last->duration = music;
        if (uint8_t* skip = av_packet_new_side_data(last, AV_PKT_DATA_SKIP_SAMPLES, 10)) {
            AV_WL32(skip, 0);
            AV_WL32(skip + 4, uint32_t(padding));
        }
    }
    holdingAudio_ = false;
    return WritePacket(audio_.get(), audioStream_, last, error);
}

bool VideoFile::Finish(std::string& error)
{
    if (!headerWritten_) return Fail(error, "was never started", 0);
    if (!Encode(video_.get(), videoStream_, nullptr, error)) return false;
    if (audio_) {
        // What the resampler still holds, then the short last frame.
        uint8_t** planes = nullptr;
        const int room = swr_get_out_samples(resampler_, 0);
        if (room > 0 && av_samples_alloc_array_and_samples(&planes, nullptr, format_.audioChannels, room,
                                                           audio_->sample_fmt, 0) >= 0) {
            const int converted = swr_convert(resampler_, planes, room, nullptr, 0);
            if (converted > 0 && av_audio_fifo_realloc(fifo_, av_audio_fifo_size(fifo_) + converted) >= 0)
                av_audio_fifo_write(fifo_, reinterpret_cast<void**>(planes), converted);
            av_freep(&planes[0]);
            av_freep(&planes);
        }
        while (av_audio_fifo_size(fifo_) > 0)
            if (!SendAudio(std::min(av_audio_fifo_size(fifo_), audio_->frame_size), error)) return false;
        if (!Encode(audio_.get(), audioStream_, nullptr, error) || !WriteLastAudioPacket(error)) return false;
    }
    const int code = av_write_trailer(container_);
    if (code < 0) return Fail(error, "cannot be completed", code);
    avio_closep(&container_->pb);
    fileOpen_ = false;
    return true;
}

std::string VideoFile::Summary() const
{
    char text[512];
    std::snprintf(text, sizeof text, "%s: %lld frames (%.2f s) of %s %dx%d at %d fps", path_.c_str(),
                  static_cast<long long>(pictures_), double(pictures_) / format_.fps,
                  video_->codec_id == AV_CODEC_ID_H264 ? "H.264" : "MPEG-4 video",
                  format_.outputWidth, format_.outputHeight, format_.fps);
    std::string summary = text;
    if (audio_) {
        std::snprintf(text, sizeof text, ", %s music %lld samples at %d Hz",
                      audio_->codec_id == AV_CODEC_ID_FLAC ? "FLAC" : "AAC", static_cast<long long>(samplesSent_),
                      format_.audioRate);
        summary += text;
    } else {
        summary += ", no music";
    }
    return summary;
}
}  // namespace

bool VideoRecordingBuiltIn() { return true; }

std::unique_ptr<FrameSink> OpenVideoFile(const std::string& path, const RecordFormat& format, std::string& error)
{
    auto file = std::make_unique<VideoFile>();
    if (!file->Open(path, format, error)) return nullptr;
    return file;
}
