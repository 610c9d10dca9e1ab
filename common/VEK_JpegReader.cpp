#include "VEK_JpegReader.h"

#include <csetjmp>
#include <cstring>

#include <jpeglib.h>
#include <jerror.h>

namespace {
// A progressive JPEG may hold any number of scans, and each one makes the decoder walk the
// whole image again; a hostile file uses that to keep it busy for minutes. Encoders write
// about a dozen.
constexpr int kMaxScans = 1000;

// libjpeg's error manager with the way back into the running operation. The library
// calls error_exit on a fatal error and expects it not to return.
struct ErrorManager {
    jpeg_error_mgr base;  // first, so the library's pointer to it is a pointer to this
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    bool endedEarly;
};

ErrorManager& Errors(j_common_ptr info) { return *reinterpret_cast<ErrorManager*>(info->err); }

// Keeps the library's text instead of printing it.
void KeepMessage(j_common_ptr info) { (*info->err->format_message)(info, Errors(info).message); }

[[noreturn]] void JumpBack(j_common_ptr info)
{
    (*info->err->output_message)(info);
    std::longjmp(Errors(info).jump, 1);
}

// libjpeg meets the end of a file that stops early with a warning, pretends the image
// ends there and goes on decoding grey; the image is damaged, so the operation stops.
void WatchMessages(j_common_ptr info, int level)
{
    jpeg_error_mgr& err = *info->err;
    if (level < 0 && err.msg_code == JWRN_JPEG_EOF) {
        (*err.format_message)(info, Errors(info).message);
        Errors(info).endedEarly = true;
        std::longjmp(Errors(info).jump, 1);
    }
    if (level < 0) {
        if (err.num_warnings == 0) (*err.output_message)(info);  // the first warning is kept
        ++err.num_warnings;
    }
}

void LimitScans(j_common_ptr info)
{
    if (!info->is_decompressor) return;
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number <= kMaxScans) return;
    std::snprintf(Errors(info).message, JMSG_LENGTH_MAX, "JPEG has more than %d scans", kMaxScans);
    std::longjmp(Errors(info).jump, 1);
}

bool IsCmyk(const jpeg_decompress_struct& info)
{
    return info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
}

// libjpeg converts YCbCr, RGB and greyscale to RGB itself; CMYK it only hands over as is.
void ChooseOutputColours(jpeg_decompress_struct& info)
{
    info.out_color_space = IsCmyk(info) ? JCS_CMYK : JCS_RGB;
}

unsigned char Multiply(unsigned a, unsigned b) { return static_cast<unsigned char>((a * b + 127) / 255); }

// Adobe's CMYK (marked by its APP14 marker) stores inverted inks: 255 means no ink.
void CmykRowToRgb(const unsigned char* cmyk, unsigned char* rgb, uint32_t width, bool inverted)
{
    for (uint32_t x = 0; x < width; ++x, cmyk += 4, rgb += 3) {
        const unsigned k = inverted ? cmyk[3] : 255u - cmyk[3];
        for (int c = 0; c < 3; ++c) rgb[c] = Multiply(inverted ? cmyk[c] : 255u - cmyk[c], k);
    }
}
}  // namespace

struct JpegReader::Session {
    jpeg_decompress_struct info;
    ErrorManager error;
    jpeg_progress_mgr progress;

    // Prepares the error manager for one operation; setjmp follows in the caller, since
    // the jump may only return into a frame that is still running.
    void Begin()
    {
        std::memset(&info, 0, sizeof info);
        info.err = jpeg_std_error(&error.base);
        error.base.error_exit = JumpBack;
        error.base.output_message = KeepMessage;
        error.base.emit_message = WatchMessages;
        error.message[0] = '\0';
        error.endedEarly = false;
        progress.progress_monitor = LimitScans;
    }
    void Open(std::FILE* stream)
    {
        jpeg_create_decompress(&info);
        info.progress = &progress;
        jpeg_stdio_src(&info, stream);
        jpeg_read_header(&info, TRUE);
    }
};

JpegReader::JpegReader() : session_(std::make_unique<Session>()) {}
JpegReader::~JpegReader() = default;

const char* JpegReader::LastMessage() const { return session_->error.message; }
bool JpegReader::EndedEarly() const { return session_->error.endedEarly; }

// The two operations below hold no C++ objects with destructors between setjmp and the
// library calls, so the jump back skips nothing that needs cleaning up.

bool JpegReader::ReadHeader(std::FILE* stream)
{
    Session& s = *session_;
    width_ = height_ = 0;
    s.Begin();
    if (setjmp(s.error.jump)) {
        jpeg_destroy_decompress(&s.info);
        width_ = height_ = 0;
        return false;
    }
    s.Open(stream);
    width_ = s.info.image_width;
    height_ = s.info.image_height;
    jpeg_destroy_decompress(&s.info);
    return true;
}

bool JpegReader::Decode(std::FILE* stream, unsigned char* pixels, std::size_t capacity)
{
    Session& s = *session_;
    jpeg_decompress_struct& info = s.info;
    width_ = height_ = rows_ = 0;
    s.Begin();
    volatile bool complete = false;  // read after the jump, so kept out of registers
    if (setjmp(s.error.jump)) {
        rows_ = info.output_scanline;  // libjpeg's own count lives in the session, not in a register
        jpeg_destroy_decompress(&info);
        return complete;
    }
    s.Open(stream);
    ChooseOutputColours(info);
    jpeg_calc_output_dimensions(&info);
    width_ = info.output_width;
    height_ = info.output_height;
    if (ByteSize() > capacity) {
        std::snprintf(s.error.message, JMSG_LENGTH_MAX, "%ux%u image does not fit a buffer of %zu bytes",
                      unsigned(width_), unsigned(height_), capacity);
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_start_decompress(&info);
    const bool cmyk = info.out_color_space == JCS_CMYK;
    if (info.output_components != (cmyk ? 4 : 3)) {
        std::snprintf(s.error.message, JMSG_LENGTH_MAX, "unexpected %d colour components", info.output_components);
        jpeg_destroy_decompress(&info);
        return false;
    }
    const std::size_t rowBytes = std::size_t(width_) * 3;
    // RGB rows are exactly rowBytes long and go straight into the caller's buffer; CMYK
    // rows are wider and pass through a row of the library's own.
    JSAMPARRAY cmykRow = cmyk ? (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                                          info.output_width * 4, 1)
                              : nullptr;
    while (info.output_scanline < info.output_height) {
        unsigned char* out = pixels + info.output_scanline * rowBytes;
        JSAMPROW row = cmyk ? cmykRow[0] : out;
        if (jpeg_read_scanlines(&info, &row, 1) != 1) break;  // a stdio source never suspends
        if (cmyk) CmykRowToRgb(row, out, width_, info.saw_Adobe_marker);
    }
    rows_ = info.output_scanline;
    complete = rows_ == info.output_height;
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return complete;
}
