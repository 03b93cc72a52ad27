#pragma once

#include <algorithm>
#include <string>
#include <string_view>

#include "model/element.h"

// A free text at anchor p1 with a font face, a size of 4..80 and four style flags.
class SchComment : public SchBoxElement {
  public:
    static constexpr int32_t kMinFontSize = 4;
    static constexpr int32_t kMaxFontSize = 80;

    std::string text;
    // Cache of a measured text box; nothing in this system measures, so it stays invalid.
    mutable bool extentValid = false;
    mutable int32_t ascent = 0;
    mutable SchPoint extent{0, 0};
    std::string fontName;
    int32_t fontSize = 12;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;

    SchComment() = default;
    // A comment as a drawing's record gives it, in the font given; the size is limited to 4..80.
    SchComment(int32_t onLayer, SchPoint anchor, std::string_view textBytes,
               const std::string& face, int32_t size)
        : SchBoxElement(onLayer, anchor),
          text(textBytes),
          fontName(face),
          fontSize(std::clamp(size, kMinFontSize, kMaxFontSize)) {}

    // Each setter clears extentValid; a null pointer gives the empty text.
    void setText(const char* s);
    void setFontName(const char* s);
    // Stores n limited to 4..80.
    void setFontSize(int32_t n);

    bool readCe3(Ce3Reader& reader, const SchPoint* offset, SchDocument* document) override;
    bool writeCe3(Ce3Writer& writer, const SchPoint* offset) override;
    int kind() const override { return SchKind::Comment; }
    std::unique_ptr<SchElement> clone() const override;
    void mirror() override;
    void rotate() override;
    int hitTest(SchPoint p) const override;
    bool touchesArea(const SchRect& r) const override;
    // Stores the default 20 x 10 box in the cache while no measured box is valid.
    SchRect area() const override;
    SchRect pointArea() const override;
    bool isValid() const override;
    bool isTextual() const override { return true; }
};
