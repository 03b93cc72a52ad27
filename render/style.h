#pragma once

#include <array>
#include <cstdint>

#include "model/element.h"
#include "render/primitives.h"

// How primitives look, shared by the SVG writer and the dialog's painter. Colours are 0xRRGGBB.
inline constexpr uint32_t kInkColour = 0x000000;
inline constexpr uint32_t kOutsideColour = 0xC62828;  // elements that lie outside the sheet
inline constexpr uint32_t kSheetColour = 0xFFFFFF;
inline constexpr uint32_t kSheetFrameColour = 0x808080;
inline constexpr uint32_t kBackgroundColour = 0xE8E8E8;  // around the sheet

// Dash patterns, in drawing units: dashed lines, and the frame around an element outside the
// sheet.
inline constexpr int kDashOn = 6;
inline constexpr int kDashOff = 3;
inline constexpr int kMarkDashOn = 4;
inline constexpr int kMarkDashOff = 2;

// Room around everything drawn, and between an element outside the sheet and its frame.
inline constexpr int64_t kDrawingMargin = 10;
inline constexpr int64_t kMarkMargin = 3;

// The face of the texts of fixed metrics: every byte takes the same width.
inline constexpr char kFixedFace[] = "monospace";

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

// The frame around an element outside the sheet: its area with a little room.
inline SchRect markFrame(const SchRect& area) {
    return SchRect(
        clamp32(int64_t{area.left} - kMarkMargin), clamp32(int64_t{area.top} - kMarkMargin),
        clamp32(int64_t{area.right} + kMarkMargin), clamp32(int64_t{area.bottom} + kMarkMargin));
}

// The area an SVG's viewBox or a painted preview shows: the drawing's bounds and the margin.
inline SchRect viewArea(const Drawing& drawing) {
    const SchRect& b = drawing.bounds;
    return SchRect(
        clamp32(int64_t{b.left} - kDrawingMargin), clamp32(int64_t{b.top} - kDrawingMargin),
        clamp32(int64_t{b.right} + kDrawingMargin), clamp32(int64_t{b.bottom} + kDrawingMargin));
}
