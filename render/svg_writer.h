#pragma once

#include <string>

#include "render/primitives.h"

// The drawing as a standalone SVG document in UTF-8: a viewBox around everything drawn, the
// sheet, then one group per element kind (class "dash", "wire", "bus", "entry", "bus-entry",
// "junction", "component", "tag", "label", "comment") with one child per element. An element
// outside the sheet is a group of class "outside", drawn in the warning colour and framed by its
// area. Texts are decoded for display and escaped, so the result is well-formed XML whatever the
// drawing holds; its size grows linearly with the drawing.
std::string svgDocument(const Drawing& drawing);

// Escapes text for XML character data and attribute values.
void appendXmlEscaped(const std::string& text, std::string& out);
