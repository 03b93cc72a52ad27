#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/core/conversion.h"
#include "app/core/conversion_inputs.h"
#include "ce2_builder/ce2_builder.h"
#include "support/temp_dir.h"

inline std::string wire(int x1, int y1, int x2, int y2) {
    return ce2build::line(ce2build::kWire, 0, x1, y1, x2, y2);
}

// What an earlier conversion may have left as an output: a conversion may replace it.
inline const std::string kEarlierOutput =
    "+TOVR3_DATA_V.1.0\r\n"
    "+SHEETINFO,EL:0,VL:0,W:640,H:480,-SHEETINFO\r\n"
    "+WIRE,L:0,X1:10,Y1:10,X2:50,Y2:10,-WIRE\r\n"
    "-TOVR3_DATA_V.1.0\r\n";

// Conversions of sources written into a fresh directory.
class Convert : public ::testing::Test {
  protected:
    TempDir dir;
    ConversionOptions options = makeConversionOptions("Face", "12", "Small", "8");

    std::string source(const std::string& name, const std::string& bytes) {
        const std::string path = dir / name;
        writeBytes(path, bytes);
        return path;
    }
    FileReport convertOne(const std::string& path) {
        const std::vector<FileReport> reports = convertFiles({path}, options);
        EXPECT_EQ(reports.size(), 1u);
        return reports.empty() ? FileReport{} : reports[0];
    }
};
