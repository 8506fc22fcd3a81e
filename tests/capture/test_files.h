// Files for the tests of the capture's outputs: a fresh folder per test, and
// small files written, read and listed.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace test_files {

namespace fs = std::filesystem;

// An empty folder of the running test's own under TEST_OUTPUT_DIR/`area`.
inline fs::path work_dir(const std::string& area) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const fs::path dir = fs::path(TEST_OUTPUT_DIR) / area / (std::string(info->test_suite_name()) + "." + info->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

inline void put(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

inline std::string contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The names in a folder, sorted.
inline std::vector<std::string> names(const fs::path& dir) {
    std::vector<std::string> out;
    for (const auto& entry : fs::directory_iterator(dir)) out.push_back(entry.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

inline std::size_t entries(const fs::path& dir) { return names(dir).size(); }

}  // namespace test_files
