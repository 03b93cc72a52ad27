#pragma once

#include <string>

#include "render/primitives.h"

// The drawing as a standalone SVG document in UTF-8: a viewBox on the page (the sheet and its
// margin), a <title> saying that pins are not drawn when there are components, the sheet, then one
// group per element kind (class "dash", "wire", "bus", "entry", "bus-entry", "junction",
// "component", "tag", "label", "comment") with one child per element drawn, clipped to the
// sheet, then the marks of what was left out (class "left-out") and the title line. Texts of
// fixed metrics name monospaced faces at the size that gives their widths, with no textLength,
// which renderers do not all honour. Texts are decoded for display and escaped, so the result is
// well-formed XML whatever the drawing holds; its size grows linearly with the drawing.
std::string svgDocument(const Drawing& drawing);

// Escapes text for XML character data and attribute values.
void appendXmlEscaped(const std::string& text, std::string& out);
