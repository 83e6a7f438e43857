// png_reader.cpp: decodes a PNG file with libpng into 4-byte pixels, bottom row first.
#include "gfx/png_reader.h"

#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "app/display_settings.h"
#include "app/program_state.h"
#include "platform/file_paths.h"

namespace {

// The reader checks the first 4 signature bytes itself; libpng checks the other 4.
const int kSignatureBytesChecked = 4;

// Largest width and height accepted: a header declaring more is refused before anything
// is allocated for the image. 16384 is beyond every texture size OpenGL drivers accept.
const png_uint_32 kMaxSide = 16384;
// Caps on ancillary chunks: one chunk's allocation, and how many are kept. The reader skips
// every ancillary chunk unread anyway (see LimitReading); these bound what libpng would do
// if a chunk were ever handled after all.
const png_alloc_size_t kMaxChunkBytes = 1u << 20;
const png_uint_32 kMaxCachedChunks = 128;
// Deflate expands at most about 1032 times (258-byte matches of two bits each), so the
// bytes left in the file bound how much image data they can hold.
const std::uint64_t kMaxDeflateRatio = 1032;

void Report(const char* text) {
    if (displaySettings) displaySettings->ReportError(text);
}

void ReportOpenFailure(const char* path) {
    char text[1024];
    std::snprintf(text, sizeof text, "Error : Can't open file %s", path);
    Report(text);
}

// Bytes from the current position to the end of the file, or -1 when unknown.
long BytesLeft(std::FILE* file) {
    long here = std::ftell(file);
    if (here < 0 || std::fseek(file, 0, SEEK_END) != 0) return -1;
    long end = std::ftell(file);
    if (std::fseek(file, here, SEEK_SET) != 0) return -1;
    return end < here ? -1 : end - here;
}

// Refuses (through libpng's error path) a header whose image cannot be in the bytes left,
// or whose pixel block would not fit in memory's address range, before anything is
// allocated for it.
void RefuseImpossibleSize(png_structp png, png_infop info, long bytesLeft) {
    png_uint_32 width = png_get_image_width(png, info);
    png_uint_32 height = png_get_image_height(png, info);
    if (width > SIZE_MAX / 4 / height) png_error(png, "image too large for memory");
    if (bytesLeft < 0) return;
    std::uint64_t bitsPerPixel =
        std::uint64_t(png_get_bit_depth(png, info)) * png_get_channels(png, info);
    std::uint64_t imageBytes = (std::uint64_t(width) * height * bitsPerPixel) / 8;
    if (imageBytes / kMaxDeflateRatio > std::uint64_t(bytesLeft))
        png_error(png, "image larger than its file can hold");
}

// Sets libpng's limits before anything is read. Nothing of the ancillary chunks (text,
// colour profiles, gamma, background) is used, so libpng skips them all unread: reading
// through a chunk needs no buffer of its size, and a chunk declaring gigabytes in a small
// file fails at the file's end instead of allocating them. tRNS and PLTE are still read.
void LimitReading(png_structp png) {
    png_set_user_limits(png, kMaxSide, kMaxSide);
    png_set_chunk_malloc_max(png, kMaxChunkBytes);
    png_set_chunk_cache_max(png, kMaxCachedChunks);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
}

// Requests 8-bit RGB rows whatever the file holds: palettes and small grey samples
// expanded, 16-bit samples scaled, grey widened, alpha dropped. With withFiller, a fourth
// byte follows each pixel. Returns the number of interlace passes to read.
int RequestRgbRows(png_structp png, png_infop info, bool withFiller) {
    png_byte colourType = png_get_color_type(png, info);
    if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        png_set_expand_gray_1_2_4_to_8(png);
        png_set_gray_to_rgb(png);
    }
    png_set_scale_16(png);
    png_set_strip_alpha(png);
    if (withFiller) png_set_filler(png, 0xff, PNG_FILLER_AFTER);
    int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    size_t bytesPerPixel = withFiller ? 4 : 3;
    if (png_get_bit_depth(png, info) != 8 || png_get_channels(png, info) != bytesPerPixel ||
        png_get_rowbytes(png, info) != png_get_image_width(png, info) * bytesPerPixel)
        png_error(png, "unexpected row layout after transformations");
    return passes;
}

// Reads every pass of an interlaced image straight into the block, bottom row first; a
// pass adds its pixels to what the earlier passes left in the same row.
void ReadPasses(png_structp png, unsigned char* block, size_t pitch, png_uint_32 height,
                int passes) {
    for (int pass = 0; pass < passes; ++pass)
        for (png_uint_32 i = 0; i < height; ++i)
            png_read_row(png, block + (height - 1 - i) * pitch, nullptr);
}

// Reads the rows of an image into one reused row buffer and widens each into its place,
// the file's first row becoming the block's last.
void ReadPackedRows(png_structp png, unsigned char* rowBuffer, unsigned char* block,
                    png_uint_32 width, png_uint_32 height) {
    size_t pitch = size_t(width) * 4;
    for (png_uint_32 i = 0; i < height; ++i) {
        png_read_row(png, rowBuffer, nullptr);
        PackRgbRow(block + (height - 1 - i) * pitch, rowBuffer, int(width));
    }
}

// Decodes the image of an opened reader into a new pixel block. Every libpng error, and
// every refusal above, lands at the recovery point, which releases what this call holds.
// The two buffers are volatile: they change after setjmp and are read after longjmp.
int DecodeImage(png_structp png, png_infop info, std::FILE* file, unsigned char** pixels,
                int* width, int* height) {
    unsigned char* volatile block = nullptr;
    unsigned char* volatile rowBuffer = nullptr;
    if (setjmp(png_jmpbuf(png))) {
        std::free(rowBuffer);
        std::free(block);
        return 0;
    }
    png_init_io(png, file);
    png_set_sig_bytes(png, kSignatureBytesChecked);
    LimitReading(png);
    png_read_info(png, info);
    png_uint_32 imageWidth = 0, imageHeight = 0;
    int bitDepth = 0, colourType = 0, interlaceMethod = 0;
    png_get_IHDR(png, info, &imageWidth, &imageHeight, &bitDepth, &colourType, &interlaceMethod,
                 nullptr, nullptr);
    RefuseImpossibleSize(png, info, BytesLeft(file));

    // An interlaced image arrives in passes that each fill some pixels of a row, so libpng
    // must write its rows into their final place, 4 bytes a pixel; other images are read
    // row by row through one 3-byte-per-pixel buffer.
    bool interlaced = interlaceMethod != PNG_INTERLACE_NONE;
    int passes = RequestRgbRows(png, info, interlaced);
    size_t pitch = size_t(imageWidth) * 4;
    block = static_cast<unsigned char*>(std::malloc(pitch * imageHeight));
    if (!block) png_error(png, "out of memory for the pixel block");
    if (interlaced) {
        ReadPasses(png, block, pitch, imageHeight, passes);
    } else {
        rowBuffer = static_cast<unsigned char*>(std::malloc(png_get_rowbytes(png, info)));
        if (!rowBuffer) png_error(png, "out of memory for the row buffer");
        ReadPackedRows(png, rowBuffer, block, imageWidth, imageHeight);
        std::free(rowBuffer);
        rowBuffer = nullptr;
    }
    png_read_end(png, info);

    *width = int(imageWidth);
    *height = int(imageHeight);
    *pixels = block;
    return 1;
}

}  // namespace

int LoadPngRgb(unsigned char** pixels, const char* path, int* width, int* height) {
    std::FILE* file = OpenProgramFile(path, "rb");
    png_byte signature[kSignatureBytesChecked];
    if (!file || std::fread(signature, 1, sizeof signature, file) != sizeof signature) {
        if (file) std::fclose(file);
        ReportOpenFailure(path);
        return 0;
    }
    if (png_sig_cmp(signature, 0, sizeof signature) != 0) {
        std::fclose(file);
        return 0;
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) {
        std::fclose(file);
        Report("Error LibPNG : can't create structure");
        return 0;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        std::fclose(file);
        Report("Error LibPNG : can't create info structure");
        return 0;
    }
    int result = DecodeImage(png, info, file, pixels, width, height);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    if (!result) Report("Error LibPNG : can't read structure");
    return result;
}

void PackRgbRow(unsigned char* destination, const unsigned char* row, int n) {
    for (int k = 0; k < n; ++k) {
        destination[4 * k + 0] = row[3 * k + 0];
        destination[4 * k + 1] = row[3 * k + 1];
        destination[4 * k + 2] = row[3 * k + 2];
        destination[4 * k + 3] = 0xff;  // meaningless, but never left uninitialised
    }
}
