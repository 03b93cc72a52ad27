#pragma once

#include <array>
#include <cstdint>

#include "model/element.h"
#include "render/page_layout.h"
#include "render/primitives.h"

// How primitives look, shared by the SVG writer and the dialog's painter. Colours are 0xRRGGBB.
inline constexpr uint32_t kInkColour = 0x000000;
inline constexpr uint32_t kOutsideColour = 0xC62828;  // marks of elements left out
inline constexpr uint32_t kSheetColour = 0xFFFFFF;
inline constexpr uint32_t kSheetFrameColour = 0x808080;
inline constexpr uint32_t kBackgroundColour = 0xE8E8E8;  // around the sheet

// The dash pattern of dashed lines, in drawing units.
inline constexpr int kDashOn = 6;
inline constexpr int kDashOff = 3;

// The faces of the texts of fixed metrics, in order of preference: monospaced CJK faces whose
// single-byte characters advance half an em and double-byte ones a full em, so that at the
// texts' size every byte takes the width the drawing gives it; then any monospaced face.
inline constexpr std::array<const char*, 4> kFixedFaces{
    {"MS Gothic", "IPAGothic", "Noto Sans Mono CJK JP", "Osaka-Mono"}};
inline constexpr char kFixedFallbackFace[] = "monospace";

// How much wider than the fixed faces set it a text is drawn to fill its fit width: the faces
// advance half an em per byte, so a text 8 units a byte at a size of 10 is stretched 1.6 times
// along its baseline; 1 for a text of a named face or without fit width.
inline double fixedTextStretch(const TextPrimitive& text) {
    if (!text.face.empty() || text.fitWidth <= 0 || text.bytes.empty() || text.size <= 0) {
        return 1;
    }
    return 2.0 * static_cast<double>(text.fitWidth) /
           (static_cast<double>(text.bytes.size()) * text.size);
}

constexpr int strokeWidth(Stroke stroke) {
    return stroke == Stroke::Thick ? 3 : 1;
}

// The element kinds in the order they are drawn, back to front (lines under dots, texts on top),
// with the class name of their group in the SVG.
struct KindLayer {
    int kind;
    const char* className;
};
inline constexpr std::array<KindLayer, 10> kDrawOrder{{
    {SchKind::Dash, "dash"},
    {SchKind::Wire, "wire"},
    {SchKind::Bus, "bus"},
    {SchKind::Entry, "entry"},
    {SchKind::BusEntry, "bus-entry"},
    {SchKind::Junction, "junction"},
    {SchKind::Component, "component"},
    {SchKind::Tag, "tag"},
    {SchKind::Label, "label"},
    {SchKind::Comment, "comment"},
}};

// The area an SVG's viewBox or a painted preview shows: the page, the sheet with its margin.
inline SchRect viewArea(const Drawing& drawing) {
    return pageArea(drawing.sheet);
}

// The rectangle that the elements are clipped to: the sheet, grown by half the thickest stroke so
// that a line along an edge is drawn whole.
inline SchRect clipArea(const Drawing& drawing) {
    return grownRect(normalisedSheet(drawing.sheet), (strokeWidth(Stroke::Thick) + 1) / 2);
}
