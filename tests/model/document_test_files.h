#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/temp_dir.h"

// The magic lines around a drawing, and its sheet record.
inline const std::string kOpen = "+TOVR3_DATA_V.1.0\r\n";
inline const std::string kClose = "-TOVR3_DATA_V.1.0\r\n";

inline std::string sheetInfo(int w, int h) {
    return "+SHEETINFO,EL:0,VL:0,W:" + std::to_string(w) + ",H:" + std::to_string(h) +
           ",-SHEETINFO\r\n";
}

// A fresh directory for one test, removed with everything in it afterwards.
class TempDirTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string made = makeTestDirectory("morvex-doc-");
        ASSERT_FALSE(made.empty());
        dir_ = pathFromUtf8(made);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    std::string pathOf(const std::string& name) const {
        return utf8Path(dir_ / pathFromUtf8(name));
    }

    static void writeFile(const std::string& path, const std::string& bytes) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << bytes;
        ASSERT_TRUE(out.good()) << path;
    }

    static std::string readFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // The names in the directory, sorted.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::filesystem::path dir_;
};

// The document's own file tests.
class SchDocumentFiles : public TempDirTest {};
