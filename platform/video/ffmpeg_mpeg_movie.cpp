/** @file MPEG movies through FFmpeg: the program stream demuxer and the MPEG-1/2 video decoder, named, never probed. */
#include "platform/video/mpeg_movie.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cctype>

namespace platform {

namespace {

bool isMpgName(const std::string& path)
{
    if (path.size() < 4)
        return false;
    std::string tail = path.substr(path.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return tail == ".mpg";
}

class FfmpegMpegMovie final : public MpegMovie {
public:
    ~FfmpegMpegMovie() override { close(); }

    bool isReal() const override { return true; }

    bool open(const std::string& path, PixelLayout layout) override
    {
        close();
        if (!isMpgName(path))
            return false;
        const AVInputFormat* demuxer = av_find_input_format("mpeg");
        if (demuxer == nullptr)
            return false;
        AVDictionary* options = nullptr;
        av_dict_set(&options, "protocol_whitelist", "file", 0);
        const int opened = avformat_open_input(&format_, path.c_str(), demuxer, &options);
        av_dict_free(&options);
        if (opened < 0) {
            format_ = nullptr;
            return false;
        }
        layout_ = layout;
        packet_ = av_packet_alloc();
        frame_ = av_frame_alloc();
        return packet_ != nullptr && frame_ != nullptr;
    }

    bool nextPicture(MpegPicture& out) override
    {
        if (format_ == nullptr)
            return false;
        for (;;) {
            if (decoder_ != nullptr) {
                const int got = avcodec_receive_frame(decoder_, frame_);
                if (got == 0)
                    return convert(out);
                if (got != AVERROR(EAGAIN))
                    return false; // the end, or a stream the decoder gave up on
            }
            if (ended_)
                return false;
            if (av_read_frame(format_, packet_) < 0) {
                ended_ = true;
                if (decoder_ == nullptr)
                    return false;
                avcodec_send_packet(decoder_, nullptr); // drain the pictures still held
                continue;
            }
            if (stream_ < 0)
                openDecoderFor(packet_->stream_index);
            if (packet_->stream_index == stream_ && decoder_ != nullptr)
                avcodec_send_packet(decoder_, packet_);
            av_packet_unref(packet_);
        }
    }

    double frameRate() const override
    {
        if (decoder_ != nullptr && decoder_->framerate.num > 0 && decoder_->framerate.den > 0)
            return av_q2d(decoder_->framerate);
        return 25.0;
    }

    void close() override
    {
        sws_freeContext(scaler_);
        scaler_ = nullptr;
        avcodec_free_context(&decoder_);
        av_frame_free(&frame_);
        av_packet_free(&packet_);
        if (format_ != nullptr)
            avformat_close_input(&format_);
        stream_ = -1;
        ended_ = false;
    }

private:
    void openDecoderFor(int index)
    {
        if (index < 0 || static_cast<unsigned>(index) >= format_->nb_streams)
            return;
        const AVCodecParameters* parameters = format_->streams[index]->codecpar;
        if (parameters->codec_type != AVMEDIA_TYPE_VIDEO)
            return;
        // The program stream demuxer names MPEG video as MPEG-2; the same decoder reads MPEG-1.
        if (parameters->codec_id != AV_CODEC_ID_MPEG1VIDEO && parameters->codec_id != AV_CODEC_ID_MPEG2VIDEO)
            return;
        const AVCodec* codec = avcodec_find_decoder(parameters->codec_id);
        if (codec == nullptr)
            return;
        decoder_ = avcodec_alloc_context3(codec);
        if (decoder_ == nullptr || avcodec_parameters_to_context(decoder_, parameters) < 0 ||
            avcodec_open2(decoder_, codec, nullptr) < 0) {
            avcodec_free_context(&decoder_);
            return;
        }
        stream_ = index;
    }

    bool convert(MpegPicture& out)
    {
        const int w = frame_->width;
        const int h = frame_->height;
        if (w <= 0 || h <= 0)
            return false;
        const AVPixelFormat target = layout_ == PixelLayout::Rgb565 ? AV_PIX_FMT_RGB565LE : AV_PIX_FMT_RGB555LE;
        scaler_ = sws_getCachedContext(scaler_, w, h, static_cast<AVPixelFormat>(frame_->format), w, h, target,
                                       SWS_POINT, nullptr, nullptr, nullptr);
        if (scaler_ == nullptr)
            return false;
        out.width = w;
        out.height = h;
        out.pixels.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
        uint8_t* planes[4] = {reinterpret_cast<uint8_t*>(out.pixels.data()), nullptr, nullptr, nullptr};
        int pitches[4] = {w * 2, 0, 0, 0};
        sws_scale(scaler_, frame_->data, frame_->linesize, 0, h, planes, pitches);
        av_frame_unref(frame_);
        return true;
    }

    AVFormatContext* format_ = nullptr;
    AVCodecContext* decoder_ = nullptr;
    AVPacket* packet_ = nullptr;
    AVFrame* frame_ = nullptr;
    SwsContext* scaler_ = nullptr;
    int stream_ = -1;
    bool ended_ = false;
    PixelLayout layout_ = PixelLayout::Rgb555;
};

} // namespace

std::unique_ptr<MpegMovie> makeFfmpegMpegMovie()
{
    return std::make_unique<FfmpegMpegMovie>();
}

} // namespace platform
