/** @file MPEG-1 test clips made with libavcodec's encoder in an MPEG program stream. */
#include "tests/support/mpeg/mpeg_clip.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <algorithm>

namespace testsupport {

namespace {

bool drain(AVCodecContext* encoder, AVFormatContext* output, AVStream* stream, AVPacket* packet)
{
    for (;;) {
        const int got = avcodec_receive_packet(encoder, packet);
        if (got == AVERROR(EAGAIN) || got == AVERROR_EOF)
            return true;
        if (got < 0)
            return false;
        av_packet_rescale_ts(packet, encoder->time_base, stream->time_base);
        packet->stream_index = stream->index;
        if (av_interleaved_write_frame(output, packet) < 0)
            return false;
    }
}

} // namespace

bool writeMpeg1Clip(const std::string& path, int width, int height, int frames, int fps)
{
    av_log_set_level(AV_LOG_ERROR);
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MPEG1VIDEO);
    AVCodecContext* encoder = codec != nullptr ? avcodec_alloc_context3(codec) : nullptr;
    AVFormatContext* output = nullptr;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    bool ok = encoder != nullptr && packet != nullptr && frame != nullptr &&
              avformat_alloc_output_context2(&output, nullptr, "mpeg", path.c_str()) >= 0;
    AVStream* stream = nullptr;
    if (ok) {
        encoder->width = width;
        encoder->height = height;
        encoder->time_base = AVRational{1, fps};
        encoder->framerate = AVRational{fps, 1};
        encoder->pix_fmt = AV_PIX_FMT_YUV420P;
        encoder->gop_size = 12;
        encoder->max_b_frames = 0;
        encoder->bit_rate = 2000000;
        stream = avformat_new_stream(output, nullptr);
        ok = stream != nullptr && avcodec_open2(encoder, codec, nullptr) >= 0 &&
             avcodec_parameters_from_context(stream->codecpar, encoder) >= 0;
    }
    if (ok) {
        stream->time_base = encoder->time_base;
        ok = avio_open(&output->pb, path.c_str(), AVIO_FLAG_WRITE) >= 0 && avformat_write_header(output, nullptr) >= 0;
    }
    if (ok) {
        frame->format = AV_PIX_FMT_YUV420P;
        frame->width = width;
        frame->height = height;
        ok = av_frame_get_buffer(frame, 0) >= 0;
    }
    for (int f = 0; ok && f < frames; ++f) {
        ok = av_frame_make_writable(frame) >= 0;
        for (int y = 0; ok && y < height; ++y)
            for (int x = 0; x < width; ++x)
                frame->data[0][y * frame->linesize[0] + x] = static_cast<uint8_t>(x < width / 2 ? 235 : 41);
        for (int y = 0; ok && y < height / 2; ++y)
            for (int x = 0; x < width / 2; ++x) {
                frame->data[1][y * frame->linesize[1] + x] = static_cast<uint8_t>(x < width / 4 ? 128 : 240);
                frame->data[2][y * frame->linesize[2] + x] = static_cast<uint8_t>(x < width / 4 ? 128 : 110);
            }
        frame->pts = f;
        ok = ok && avcodec_send_frame(encoder, frame) >= 0 && drain(encoder, output, stream, packet);
    }
    if (ok)
        ok = avcodec_send_frame(encoder, nullptr) >= 0 && drain(encoder, output, stream, packet) &&
             av_write_trailer(output) >= 0;
    if (output != nullptr) {
        if (output->pb != nullptr)
            avio_closep(&output->pb);
        avformat_free_context(output);
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&encoder);
    return ok;
}

bool encodeMpeg1IntraPicture(int width, int height, const std::vector<uint8_t>& luma, const std::vector<uint8_t>& cb,
                             const std::vector<uint8_t>& cr, int quantiser, std::vector<uint8_t>& stream,
                             std::vector<uint8_t>& decodedLuma)
{
    av_log_set_level(AV_LOG_ERROR);
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MPEG1VIDEO);
    const AVCodec* decoderCodec = avcodec_find_decoder(AV_CODEC_ID_MPEG1VIDEO);
    AVCodecContext* encoder = codec != nullptr ? avcodec_alloc_context3(codec) : nullptr;
    AVCodecContext* decoder = decoderCodec != nullptr ? avcodec_alloc_context3(decoderCodec) : nullptr;
    AVFrame* frame = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();
    bool ok = encoder != nullptr && decoder != nullptr && frame != nullptr && packet != nullptr;
    if (ok) {
        encoder->width = width;
        encoder->height = height;
        encoder->time_base = AVRational{1, 25};
        encoder->framerate = AVRational{25, 1};
        encoder->pix_fmt = AV_PIX_FMT_YUV420P;
        encoder->gop_size = 0; // intra pictures only
        encoder->flags |= AV_CODEC_FLAG_QSCALE;
        encoder->global_quality = FF_QP2LAMBDA * quantiser;
        ok = avcodec_open2(encoder, codec, nullptr) >= 0 && avcodec_open2(decoder, decoderCodec, nullptr) >= 0;
    }
    if (ok) {
        frame->format = AV_PIX_FMT_YUV420P;
        frame->width = width;
        frame->height = height;
        frame->pts = 0;
        frame->quality = encoder->global_quality;
        ok = av_frame_get_buffer(frame, 0) >= 0;
    }
    if (ok) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) frame->data[0][y * frame->linesize[0] + x] = luma[static_cast<size_t>(y * width + x)];
        for (int y = 0; y < height / 2; ++y)
            for (int x = 0; x < width / 2; ++x) {
                frame->data[1][y * frame->linesize[1] + x] = cb[static_cast<size_t>(y * (width / 2) + x)];
                frame->data[2][y * frame->linesize[2] + x] = cr[static_cast<size_t>(y * (width / 2) + x)];
            }
        ok = avcodec_send_frame(encoder, frame) >= 0 && avcodec_send_frame(encoder, nullptr) >= 0;
    }
    stream.clear();
    while (ok && avcodec_receive_packet(encoder, packet) == 0) {
        stream.insert(stream.end(), packet->data, packet->data + packet->size);
        av_packet_unref(packet);
    }
    ok = ok && !stream.empty();
    if (ok) {
        // libavcodec's decoding of the same bytes.
        av_packet_unref(packet);
        ok = av_new_packet(packet, static_cast<int>(stream.size())) >= 0;
        if (ok) {
            std::copy(stream.begin(), stream.end(), packet->data);
            ok = avcodec_send_packet(decoder, packet) >= 0 && avcodec_send_packet(decoder, nullptr) >= 0;
        }
        av_frame_unref(frame);
        ok = ok && avcodec_receive_frame(decoder, frame) >= 0 && frame->width == width && frame->height == height;
        if (ok) {
            decodedLuma.resize(static_cast<size_t>(width * height));
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    decodedLuma[static_cast<size_t>(y * width + x)] = frame->data[0][y * frame->linesize[0] + x];
        }
    }
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&encoder);
    avcodec_free_context(&decoder);
    return ok;
}

} // namespace testsupport
