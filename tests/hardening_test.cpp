// What the program refuses to read under a picture's name, on every system.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bmp_test_files.h"
#include "system.h"

namespace {

TEST(PictureFile, ReadsARegularFileWholeAndNoLongerOne) {
    const std::vector<std::uint8_t> content(70000, 0x5a); // more than one read's worth
    const std::string path = write_temporary_file("Data1.skt", content);
    const PictureBuffer fits(content.size());
    std::size_t size = 0;
    ASSERT_TRUE(read_picture_file(path.c_str(), fits, size));
    EXPECT_EQ(std::vector<std::uint8_t>(fits.bytes(), fits.bytes() + size), content);

    const PictureBuffer one_byte_short(content.size() - 1);
    EXPECT_FALSE(read_picture_file(path.c_str(), one_byte_short, size)) << "one byte too long";
    EXPECT_EQ(size, 0u);
    remove_temporary_file(path);
}

TEST(PictureFile, ReusedBufferHoldsOnlyTheLatestFile) {
    const std::string long_path =
        write_temporary_file("Data4.skt", std::vector<std::uint8_t>(9000, 1));
    const std::string short_path =
        write_temporary_file("Data5.skt", std::vector<std::uint8_t>(10, 2));
    const PictureBuffer buffer(10000);
    std::size_t size = 0;
    ASSERT_TRUE(read_picture_file(long_path.c_str(), buffer, size));
    ASSERT_TRUE(read_picture_file(short_path.c_str(), buffer, size));
    EXPECT_EQ(size, 10u);
    EXPECT_EQ(std::vector<std::uint8_t>(buffer.bytes(), buffer.bytes() + size),
              std::vector<std::uint8_t>(10, 2));
    remove_temporary_file(long_path);
    remove_temporary_file(short_path);
}

TEST(PictureFile, RefusesWhatIsNotARegularFileWithoutWaiting) {
    const std::string path = write_temporary_file("Data1.skt", {});
    const PictureBuffer buffer(1000);
    std::size_t size = 0;
    std::remove(path.c_str());
    EXPECT_FALSE(read_picture_file(path.c_str(), buffer, size)) << "missing";

    ASSERT_TRUE(std::filesystem::create_directory(path));
    EXPECT_FALSE(read_picture_file(path.c_str(), buffer, size)) << "folder";
    std::filesystem::remove(path);
    remove_temporary_file(path);

    // A device that would give bytes for ever, or none: /dev/zero, or NUL on Windows.
    EXPECT_FALSE(read_picture_file(SKETCHBOARD_TEST_DEVICE, buffer, size)) << "device";
    EXPECT_EQ(size, 0u);
}

} // namespace
