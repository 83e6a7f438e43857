// Tests of the translation of the program's Windows-style paths.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/file_paths.h"
#include "support/test_files.h"

namespace {

class FilePathsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteBytes("data/vil.3ds", "scene"));
        ASSERT_TRUE(WriteBytes("data/Chinois1.PNG", "picture"));
    }
    static std::string ReadAll(const char* programPath) {
        std::FILE* file = OpenProgramFile(programPath, "rb");
        if (!file) return "<none>";
        char buffer[64] = {};
        std::size_t count = std::fread(buffer, 1, sizeof buffer - 1, file);
        std::fclose(file);
        return std::string(buffer, count);
    }

    WorkingFolder folder_;
};

}  // namespace

TEST_F(FilePathsTest, BackslashPathsOpenTheFileAndLetterCaseFallsBack) {
    EXPECT_EQ("scene", ReadAll("data\\vil.3ds"));
    EXPECT_EQ("scene", ReadAll("data/vil.3ds"));
    EXPECT_EQ("scene", ReadAll("DATA\\VIL.3DS"));
    EXPECT_EQ("picture", ReadAll("data\\chinois1.png"));
    EXPECT_EQ("<none>", ReadAll("data\\missing.3ds"));
    EXPECT_EQ("<none>", ReadAll("data\\vil.3ds\\more"));
    EXPECT_EQ("<none>", ReadAll(""));
}

TEST_F(FilePathsTest, ResolveReportsTheRealNameOrThePlainTranslation) {
    char resolved[256];
    EXPECT_EQ(1, ResolveProgramPath("data\\CHINOIS1.png", resolved, sizeof resolved));
    EXPECT_STREQ("data/Chinois1.PNG", resolved);
    EXPECT_EQ(0, ResolveProgramPath("data\\nothing.png", resolved, sizeof resolved));
    EXPECT_STREQ("data/nothing.png", resolved);
    char tiny[4];
    EXPECT_EQ(0, ResolveProgramPath("data\\vil.3ds", tiny, sizeof tiny));
    EXPECT_STREQ("", tiny);
    EXPECT_EQ(0, ResolveProgramPath(nullptr, resolved, sizeof resolved));
}

TEST_F(FilePathsTest, ExactNameWinsOverACaseVariant) {
    ASSERT_TRUE(WriteBytes("data/VIL.3ds", "other"));
    EXPECT_EQ("scene", ReadAll("data\\vil.3ds"));
    EXPECT_EQ("other", ReadAll("data\\VIL.3ds"));
}
