#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

// A path as the program's own functions take it: UTF-8 on every system.
inline std::string utf8Path(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

inline std::filesystem::path pathFromUtf8(const std::string& path) {
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

// Creates a fresh directory, named `prefix` and random digits, in the system's folder for
// temporary files ($TMPDIR or /tmp on POSIX systems), open to its owner only; its path, or an
// empty string when it cannot be created.
inline std::string makeTestDirectory(const std::string& prefix) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path base = fs::temp_directory_path(ec);
    if (ec) {
        return "";
    }
    std::mt19937_64 random(
        std::random_device{}() ^
        static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path dir = base / (prefix + std::to_string(random() % 1000000000000));
        if (fs::create_directory(dir, ec)) {
            fs::permissions(dir, fs::perms::owner_all, fs::perm_options::replace, ec);
            return utf8Path(dir);
        }
    }
    return "";
}

// A fresh directory, removed with everything in it at the end.
class TempDir {
  public:
    TempDir() : path_(makeTestDirectory("morvex-test-")) {
        EXPECT_FALSE(path_.empty()) << "cannot create a temporary directory";
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir() {
        if (!path_.empty()) {
            std::error_code ec;
            std::filesystem::permissions(pathFromUtf8(path_), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
            std::filesystem::remove_all(pathFromUtf8(path_), ec);
        }
    }

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

inline void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    EXPECT_TRUE(out.good()) << "cannot write " << path;
}

// The whole file, or an empty string when it cannot be read. Read in blocks, not a character at a
// time: the tests compare files of megabytes, in builds whose test code is not optimised.
inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    if (in) {
        bytes << in.rdbuf();
    }
    return std::move(bytes).str();
}

// The names of a folder's entries, sorted.
inline std::vector<std::string> namesIn(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}
