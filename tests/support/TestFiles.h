#pragma once

// Files for tests: whole files read and written, and a folder of the running test's own.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace torva::test {

// The whole file. A file that cannot be read fails the test, so that a check for what the
// file must not hold cannot pass on a file that is not there.
inline std::string ReadText(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        ADD_FAILURE() << "cannot read " << file;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::vector<uint8_t> ReadBytes(const std::filesystem::path& file)
{
    const std::string text = ReadText(file);
    return { text.begin(), text.end() };
}

// Writes the file whole, making its folder first.
inline void WriteText(const std::filesystem::path& file, std::string_view text)
{
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

// "Suite.Case" of the running test, fit for a file name: the cases of a test program run side
// by side, so each names its own folders by it.
inline std::string CaseName()
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name)
        c = c == '/' ? '_' : c;
    return name;
}

#ifdef TORVA_TEST_OUTPUT_DIR
// An empty folder named `prefix-Suite.Case` below the test program's output folder, so tests
// never see each other's files.
inline std::filesystem::path FreshTestFolder(const std::string& prefix)
{
    const auto folder = std::filesystem::path(TORVA_TEST_OUTPUT_DIR) / (prefix + "-" + CaseName());
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}
#endif

}
