// png_writer.cpp: writing 8-bit RGB PNG files with libpng, reporting why a write failed.
#include "tools/png/png_writer.h"

#include <png.h>
#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace png_writer {

namespace {

// Where libpng's output goes, and the first failure met on the way.
struct PngSink {
    std::FILE* file;
    int systemError;  // errno of a failed write or flush; 0 when none
    char error[128];  // libpng's own message for any other failure; empty when none
};

void Fail(png_structp png, int systemError) {
    PngSink* sink = static_cast<PngSink*>(png_get_io_ptr(png));
    sink->systemError = systemError ? systemError : EIO;
    png_error(png, "write failed");
}

void WriteData(png_structp png, png_bytep data, png_size_t length) {
    PngSink* sink = static_cast<PngSink*>(png_get_io_ptr(png));
    if (std::fwrite(data, 1, length, sink->file) != length) Fail(png, errno);
}

void FlushData(png_structp png) {
    PngSink* sink = static_cast<PngSink*>(png_get_io_ptr(png));
    if (std::fflush(sink->file) != 0) Fail(png, errno);
}

// Keeps libpng's message for the caller instead of printing it, then unwinds to setjmp.
void KeepError(png_structp png, png_const_charp message) {
    PngSink* sink = static_cast<PngSink*>(png_get_error_ptr(png));
    // Copied: libpng may format the message in a buffer that the jump leaves behind.
    if (!sink->error[0])
        std::snprintf(sink->error, sizeof sink->error, "%s", message ? message : "libpng failed");
    png_longjmp(png, 1);
}

void IgnoreWarning(png_structp, png_const_charp) {}

// Writes through an open file; false on any libpng or write error, noted in sink. Kept apart
// from the file's opening so that nothing changed after setjmp is read after a longjmp.
bool WriteRows(PngSink* sink, int width, int height, png_bytep* rows, const Options& options) {
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, sink, KeepError, IgnoreWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    png_set_write_fn(png, sink, WriteData, FlushData);
    if (options.fast) {
        png_set_compression_level(png, Z_BEST_SPEED);
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    }
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB,
                 options.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);  // runs the interlace passes itself
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool WriteRgb(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb,
              const Options& options, std::string* reason) {
    std::string ignored;
    if (!reason) reason = &ignored;
    if (width <= 0 || height <= 0 || rgb.size() != std::size_t(width) * std::size_t(height) * 3) {
        *reason = "the pixels do not match the size";
        return false;
    }
    std::vector<png_bytep> rows(height);
    for (int y = 0; y < height; ++y)
        rows[y] = const_cast<png_bytep>(rgb.data() + std::size_t(y) * width * 3);
    PngSink sink{std::fopen(path.c_str(), "wb"), 0, {}};
    if (!sink.file) {
        *reason = std::strerror(errno);
        return false;
    }
    bool written = WriteRows(&sink, width, height, rows.data(), options);
    // Buffered bytes reach the disk only here, so a full disk may first show itself now.
    if (written && std::fflush(sink.file) != 0) {
        sink.systemError = errno;
        written = false;
    }
    if (std::fclose(sink.file) != 0 && written) {
        sink.systemError = errno;
        written = false;
    }
    if (written) return true;
    *reason = sink.systemError ? std::strerror(sink.systemError)
              : sink.error[0]  ? sink.error
                               : "libpng failed";
    std::remove(path.c_str());  // a cut-off file must not pass for a whole one
    return false;
}

}  // namespace png_writer
