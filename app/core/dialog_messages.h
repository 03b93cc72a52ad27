#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/core/conversion.h"
#include "app/core/face_choice.h"

// What the dialog tells the user besides the completion message (kCompletionMessage), in UTF-8
// and in the user's language.

// One line per file that was not converted, "path: reason", under a heading; empty when every
// file was converted. Past maxFiles lines, one last line tells how many more files there are.
std::string notConvertedText(const std::vector<FileReport>& reports,
                             std::size_t maxFiles = SIZE_MAX);

// Why a chosen face was refused; empty when it was not.
std::string faceRefusalMessage(const FaceChoice& choice);

// The settings file at path could not be written.
std::string settingsNotSavedMessage(const std::string& path);

// How far a batch has got: `done` of `total` files.
std::string batchProgressLabel(std::size_t done, std::size_t total);
