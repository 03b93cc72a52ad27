#pragma once

#include <string>
#include <string_view>

#include "render/draw_document.h"

class SchDocument;
struct Ce3LoadReport;

// A .ce3 file loaded and drawn, converting nothing.
struct Ce3Drawing {
    bool drawn = false;
    // Why nothing was drawn ("not a CE3 file"); or what was: "(12 elements; 1 element outside
    // the sheet)", followed by where reading stopped when a fault ended it early ("; ...").
    std::string text;
    Drawing drawing;  // what was read before a fault included
};

// Loads the drawing at path and draws it; a file that is no CE3 file, or whose first record
// cannot be read, is not drawn.
Ce3Drawing loadCe3Drawing(const std::string& path);
// The same for the bytes of a .ce3 file held in memory.
Ce3Drawing loadCe3DrawingBytes(std::string_view bytes);
// The same for a document loaded already: `loaded` and `stop` are what SchDocument::load gave.
Ce3Drawing drawLoadedCe3(const SchDocument& doc, int loaded, const Ce3LoadReport& stop);
