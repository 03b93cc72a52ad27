#pragma once

#include <cstdint>
#include <string>

#include "app/core/conversion.h"
#include "app/core/preview_view.h"
#include "render/primitives.h"

class SchDocument;

// What a dialog's preview reads and fits into its pane.

// Files above this size are not previewed: their drawing would take gigabytes of memory.
inline constexpr std::uintmax_t kPreviewByteLimit = std::uintmax_t{32} << 20;

// Reads a .ce2 file into `doc` as the conversion reads it; a file larger than byteLimit is not
// read. Empty when the file was read, else why it cannot be shown (in the user's language).
// Touches nothing but the file and `doc`, so it may run on any thread.
std::string readPreviewSource(const std::string& path, const ConversionOptions& options,
                              SchDocument& doc, std::uintmax_t byteLimit = kPreviewByteLimit);

// What a preview fits into its pane: what is drawn on the sheet, cut to the sheet (so that the
// drawing, not its empty paper, fills the pane), and the marks of the elements left out beyond its
// edges; the page an SVG shows when nothing is drawn there.
ViewRect previewContent(const Drawing& drawing);
// The page an SVG of the drawing shows: what a preview may pan over and zoom out to.
ViewRect previewPage(const Drawing& drawing);
