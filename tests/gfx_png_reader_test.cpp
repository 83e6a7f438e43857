// gfx_png_reader_test.cpp: LoadPngRgb and PackRgbRow on made, public and damaged PNG files.
#include "gfx/png_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

#include "support/headless_window.h"
#include "support/png_test_files.h"
#include "support/test_files.h"

namespace {

const std::string kPngData = std::string(KELVO_TEST_DATA_DIR) + "/png/";

// Tests with a folder of their own for the files they make.
class PngReader : public HeadlessTest {
protected:
    std::string MakeFile(const std::string& name, const std::string& bytes) {
        std::string path = folder / name;
        EXPECT_TRUE(WriteBytes(path, bytes));
        return path;
    }
    std::string MakeRgb(const std::string& name, int width, int height,
                        const std::vector<std::uint8_t>& rgb, bool interlaced = false) {
        std::string path = folder / name;
        EXPECT_TRUE(testpng::WriteRgb(path, width, height, rgb, interlaced));
        return path;
    }

    // Loads path; on success returns the block's bytes and frees it.
    int Load(const std::string& path, std::vector<std::uint8_t>* bytes, int* width, int* height) {
        unsigned char* pixels = nullptr;
        int result = LoadPngRgb(&pixels, path.c_str(), width, height);
        if (result) {
            bytes->assign(pixels, pixels + size_t(*width) * *height * 4);
            std::free(pixels);
        } else {
            EXPECT_EQ(pixels, nullptr) << "a failed load handed over a block";
        }
        return result;
    }

    // The one "Error !" box this test raised, or "" when there was none.
    std::string OnlyBoxText() {
        const auto& boxes = headless::MessageBoxes();
        if (boxes.empty()) return "";
        EXPECT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes.back().caption, "Error !");
        EXPECT_TRUE(boxes.back().type & MB_ICONERROR);
        return boxes.back().text;
    }

    TempFolder folder;
};

std::string ValidPngBytes(const std::string& folder) {
    std::string path = folder + "/valid_source.png";
    std::vector<std::uint8_t> rgb(16 * 16 * 3);
    std::uint32_t seed = 1;
    for (std::uint8_t& byte : rgb) {  // noise, so that the image data is most of the file
        seed = seed * 1664525u + 1013904223u;
        byte = std::uint8_t(seed >> 24);
    }
    testpng::WriteRgb(path, 16, 16, rgb);
    std::string bytes = ReadBytes(path);
    std::remove(path.c_str());
    return bytes;
}

std::vector<std::string> PngFilesIn(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".png") == 0)
                names.push_back(name);
        }
        closedir(dir);
    }
    return names;
}

long StatusKb(const char* key) {
    long value = -1;
    if (std::FILE* file = std::fopen("/proc/self/status", "r")) {
        char line[256];
        size_t length = std::strlen(key);
        while (std::fgets(line, sizeof line, file))
            if (std::strncmp(line, key, length) == 0) value = std::atol(line + length);
        std::fclose(file);
    }
    return value;
}

// How far the process's resident memory peaked above where it stood at construction (KB).
// Linux keeps the peak (VmHWM) and lets a process reset it through clear_refs.
class PeakMemory {
public:
    PeakMemory() {
        std::FILE* file = std::fopen("/proc/self/clear_refs", "w");
        EXPECT_NE(file, nullptr) << "cannot reset the peak resident size";
        if (file) {
            std::fputs("5", file);
            std::fclose(file);
        }
        start = StatusKb("VmRSS:");
    }
    long GrowthKb() const { return StatusKb("VmHWM:") - start; }

private:
    long start = 0;
};

// An 8-bit binary PPM: width, height and RGB bytes top row first.
bool ReadPpm(const std::string& path, int* width, int* height, std::vector<std::uint8_t>* rgb) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    int maxValue = 0;
    bool ok = std::fscanf(file, "P6 %d %d %d", width, height, &maxValue) == 3 && maxValue == 255 &&
              std::fgetc(file) != EOF;
    if (ok) {
        rgb->resize(size_t(*width) * *height * 3);
        ok = std::fread(rgb->data(), 1, rgb->size(), file) == rgb->size();
    }
    std::fclose(file);
    return ok;
}

TEST_F(PngReader, FailuresAreReportedWithTheirText) {
    std::string valid = ValidPngBytes(folder.path());
    ASSERT_GT(valid.size(), 700u);
    std::string lineEndsConverted = valid;
    lineEndsConverted.replace(4, 4, "\r\n\n\n");  // a text-mode copy: bytes 5 to 8 changed
    const std::string kOpen = "Error : Can't open file ";
    const std::string kRead = "Error LibPNG : can't read structure";
    struct Case {
        const char* name;
        std::string bytes;
        bool exists;
        std::string expectedPrefix;  // "" for no box
    } cases[] = {
        {"missing.png", "", false, kOpen},
        {"empty.png", "", true, kOpen},
        {"three_bytes.png", valid.substr(0, 3), true, kOpen},
        {"four_bytes.png", valid.substr(0, 4), true, kRead},
        {"jpeg.png", std::string("\xff\xd8\xff\xe0\x00\x10JFIF", 10), true, ""},
        {"text.png", "not a picture\n", true, ""},
        {"line_ends.png", lineEndsConverted, true, kRead},
        {"cut_in_header.png", valid.substr(0, 20), true, kRead},
        {"cut_in_data.png", valid.substr(0, valid.size() / 2), true, kRead},
        {"no_end_chunk.png", valid.substr(0, valid.size() - 12), true, kRead},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        headless::Reset();
        std::string path = c.exists ? MakeFile(c.name, c.bytes) : folder / c.name;
        unsigned char* pixels = nullptr;
        int width = -7, height = -7;
        EXPECT_EQ(LoadPngRgb(&pixels, path.c_str(), &width, &height), 0);
        EXPECT_EQ(pixels, nullptr);
        EXPECT_EQ(width, -7);
        EXPECT_EQ(height, -7);
        std::string expected = c.expectedPrefix == kOpen ? kOpen + path : c.expectedPrefix;
        EXPECT_EQ(OnlyBoxText(), expected);
    }
}

TEST_F(PngReader, OpenFailureQuotesThePathAsGiven) {
    std::string path = folder.path() + "\\data\\Nowhere.png";
    unsigned char* pixels = nullptr;
    int width = 0, height = 0;
    EXPECT_EQ(LoadPngRgb(&pixels, path.c_str(), &width, &height), 0);
    EXPECT_EQ(OnlyBoxText(), "Error : Can't open file " + path);
}

TEST_F(PngReader, HeadersDeclaringImpossibleSizesAreRefusedUnread) {
    std::string tail = testpng::Chunk("IDAT", std::string("\x78\x9c\x03\x00\x00\x00\x00\x01", 8)) +
                       testpng::Chunk("IEND", "");
    struct Case {
        const char* name;
        std::uint32_t width, height;
    } cases[] = {
        {"wider_than_limit.png", 16385, 1},
        {"taller_than_limit.png", 1, 16385},
        {"beyond_png_range.png", 0x80000000u, 0x80000000u},
        {"largest_in_tiny_file.png", 16384, 16384},
        {"wide_in_tiny_file.png", 16384, 64},
    };
    PeakMemory peak;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        headless::Reset();
        std::string path =
            MakeFile(c.name, testpng::SignatureAndHeader(c.width, c.height, 8, 2) + tail);
        std::vector<std::uint8_t> bytes;
        int width = 0, height = 0;
        EXPECT_EQ(Load(path, &bytes, &width, &height), 0);
        EXPECT_EQ(OnlyBoxText(), "Error LibPNG : can't read structure");
    }
    EXPECT_LT(peak.GrowthKb(), 16 * 1024) << "a refused header still made a large allocation";
}

TEST_F(PngReader, RowsComeBottomUpWithFourBytesAPixel) {
    struct Case {
        int width, height;
        std::vector<std::uint8_t> rgbTopFirst;
        std::vector<std::uint8_t> rgbBottomFirst;
    } cases[] = {
        {1, 1, {10, 20, 30}, {10, 20, 30}},
        {2, 2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, {7, 8, 9, 10, 11, 12, 1, 2, 3, 4, 5, 6}},
        {3, 1, {1, 2, 3, 4, 5, 6, 7, 8, 9}, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {1, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9}, {7, 8, 9, 4, 5, 6, 1, 2, 3}},
    };
    for (bool interlaced : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) +
                         (interlaced ? " interlaced" : ""));
            std::string path = MakeRgb("small.png", c.width, c.height, c.rgbTopFirst, interlaced);
            std::vector<std::uint8_t> bytes;
            int width = 0, height = 0;
            ASSERT_EQ(Load(path, &bytes, &width, &height), 1);
            EXPECT_EQ(width, c.width);
            EXPECT_EQ(height, c.height);
            ASSERT_EQ(bytes.size(), size_t(c.width) * c.height * 4);
            for (int p = 0; p < c.width * c.height; ++p)
                for (int k = 0; k < 3; ++k)
                    EXPECT_EQ(bytes[4 * p + k], c.rgbBottomFirst[3 * p + k]) << p;
        }
    }
    EXPECT_TRUE(headless::MessageBoxes().empty());
}

TEST_F(PngReader, EveryPngSuiteImageMatchesAnotherDecoder) {
    std::vector<std::string> files;
    for (const char* set : {"pngsuite/", "interlaced/"})
        for (const std::string& name : PngFilesIn(kPngData + set)) files.push_back(set + name);
    ASSERT_GE(files.size(), 34u);
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        std::string stem = file.substr(file.find('/') + 1, file.size() - file.find('/') - 5);
        int referenceWidth = 0, referenceHeight = 0;
        std::vector<std::uint8_t> reference;
        ASSERT_TRUE(ReadPpm(kPngData + "reference/" + stem + ".ppm", &referenceWidth,
                            &referenceHeight, &reference));
        std::vector<std::uint8_t> bytes;
        int width = 0, height = 0;
        ASSERT_EQ(Load(kPngData + file, &bytes, &width, &height), 1);
        ASSERT_EQ(width, referenceWidth);
        ASSERT_EQ(height, referenceHeight);
        int wrong = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                for (int k = 0; k < 3; ++k)
                    wrong += bytes[(size_t(height - 1 - y) * width + x) * 4 + k] !=
                             reference[(size_t(y) * width + x) * 3 + k];
        EXPECT_EQ(wrong, 0);
    }
    EXPECT_TRUE(headless::MessageBoxes().empty());
}

TEST_F(PngReader, DamagedFilesAreRefusedCleanly) {
    // Ancillary chunks are skipped unread, so broken ones do no harm: that image is whole.
    struct Case {
        const char* name;
        int result;
    } cases[] = {
        {"badadler.png", 0},        {"badcrc.png", 0},          {"huge_IDAT.png", 0},
        {"huge_iCCP_chunk.png", 0}, {"huge_tEXt_chunk.png", 0}, {"empty_ancillary_chunks.png", 1},
    };
    EXPECT_EQ(PngFilesIn(kPngData + "crashers/").size(), std::size(cases));
    PeakMemory peak;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        headless::Reset();
        std::vector<std::uint8_t> bytes;
        int width = 0, height = 0;
        EXPECT_EQ(Load(kPngData + "crashers/" + c.name, &bytes, &width, &height), c.result);
        EXPECT_EQ(OnlyBoxText(), c.result ? "" : "Error LibPNG : can't read structure");
    }
    EXPECT_LT(peak.GrowthKb(), 16 * 1024) << "a chunk declaring gigabytes was allocated";
}

TEST(PackRgbRow, ReadsThreeBytesAndWritesFourPerPixel) {
    // The row is allocated to its exact size, so a read past it shows under AddressSanitizer.
    for (int n : {1, 2, 5}) {
        std::vector<std::uint8_t> row(3 * n);
        for (int i = 0; i < 3 * n; ++i) row[i] = std::uint8_t(i + 1);
        std::vector<std::uint8_t> destination(4 * n + 4, 0xAB);
        PackRgbRow(destination.data(), row.data(), n);
        for (int k = 0; k < n; ++k)
            for (int c = 0; c < 3; ++c) EXPECT_EQ(destination[4 * k + c], row[3 * k + c]);
        for (int i = 4 * n; i < 4 * n + 4; ++i)
            EXPECT_EQ(destination[i], 0xAB) << "wrote past pixel " << n;
    }
}

}  // namespace
