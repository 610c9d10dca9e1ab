// JpegReader: turns a JPEG, read from an open stream, into tightly packed 24-bit RGB.
//
// Pixel buffers are width x height x 3 bytes: rows from the top of the image down,
// pixels left to right, red, green, blue, no row padding. The caller asks for the size
// (ReadHeader), allocates, seeks back to the image start and calls Decode.
//
// Every JPEG comes out as RGB: three-component (YCbCr or RGB) and greyscale images are
// converted by libjpeg, CMYK and YCCK images by this reader (Adobe's inverted CMYK, the
// convention of the encoders that write it, is recognised by its marker). An image whose
// colours cannot be converted fails like a corrupt one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

class JpegReader {
public:
    JpegReader();
    ~JpegReader();
    JpegReader(const JpegReader&) = delete;
    JpegReader& operator=(const JpegReader&) = delete;

    // Reads only the header of the JPEG that starts at the stream's position and keeps its
    // width and height. The stream is left somewhere past the header. False when the data
    // is not a readable JPEG header.
    bool ReadHeader(std::FILE* stream);

    // Decodes the JPEG that starts at the stream's position into pixels, which holds
    // capacity bytes. Fails without writing anything when the image needs more than
    // capacity bytes. On a corrupt or truncated stream decoding stops and false is returned; the rows
    // decoded so far stay in the buffer. The stream is left wherever libjpeg stopped
    // reading and is not closed.
    bool Decode(std::FILE* stream, unsigned char* pixels, std::size_t capacity);

    // Size of the image last looked at by ReadHeader or Decode (0 x 0 after a failed header).
    uint32_t Width() const { return width_; }
    uint32_t Height() const { return height_; }
    std::size_t ByteSize() const { return std::size_t(width_) * height_ * 3; }
    // Rows the last Decode wrote to the buffer (all of them after a success).
    uint32_t RowsDecoded() const { return rows_; }

    // libjpeg's text for the last error, or its first warning of the last operation; ""
    // when there was none. The library prints nothing.
    const char* LastMessage() const;
    // The last operation stopped because the data ended before the image did. Decode then
    // returns false; the rows it wrote are counted by RowsDecoded.
    bool EndedEarly() const;

private:
    struct Session;
    std::unique_ptr<Session> session_;
    uint32_t width_ = 0;
    uint32_t height_ = 0;
    uint32_t rows_ = 0;
};
