#pragma once

#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"

// A settings file in a fresh directory, not yet there.
class Profile : public ::testing::Test {
  protected:
    TempDir dir;
    std::string path = dir / "MORVEX.INI";
};
