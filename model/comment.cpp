#include "model/comment.h"

#include <algorithm>

#include "ce3/ce3_writer.h"
#include "ce3/record_body.h"
#include "ce3/record_names.h"
#include "model/box_record.h"
#include "platform/numbers.h"

namespace {

// The text box assumed while no measured one is cached.
constexpr SchPoint kDefaultExtent{20, 10};
constexpr int32_t kDefaultAscent = 10;
constexpr int32_t kDefaultFontSize = 12;

}  // namespace

void SchComment::setText(const char* s) {
    text = s != nullptr ? s : "";
    extentValid = false;
}

void SchComment::setFontName(const char* s) {
    fontName = s != nullptr ? s : "";
    extentValid = false;
}

void SchComment::setFontSize(int32_t n) {
    fontSize = std::clamp(n, kMinFontSize, kMaxFontSize);
    extentValid = false;
}

bool SchComment::readCe3(Ce3Reader& reader, const SchPoint* offset, SchDocument*) {
    extentValid = false;
    fontSize = kDefaultFontSize;
    bold = false;
    italic = false;
    underline = false;
    strikeOut = false;

    return readRecordBody(reader, kCe3Comment.close(), EmptyValue::Ignore, {"X", "Y", "S"},
                          [&](std::string_view key, std::string_view value) {
                              if (key == "X") {
                                  p1.x = addOffsetX(atoiField(value), offset);
                              } else if (key == "Y") {
                                  p1.y = addOffsetY(atoiField(value), offset);
                              } else if (key == "S") {
                                  text = cText(value);
                              } else if (key == "FN") {
                                  fontName = cText(value);
                              } else if (key == "FS") {
                                  setFontSize(atoiField(value));
                              } else if (key == "FF") {
                                  // Letters only ever set their flag; any other byte is skipped.
                                  for (const char c : value) {
                                      bold = bold || c == 'B';
                                      italic = italic || c == 'I';
                                      underline = underline || c == 'U';
                                      strikeOut = strikeOut || c == 'S';
                                  }
                              }
                          });
}

bool SchComment::writeCe3(Ce3Writer& writer, const SchPoint* offset) {
    char styles[4];
    std::size_t styleCount = 0;
    if (bold) {
        styles[styleCount++] = 'B';
    }
    if (italic) {
        styles[styleCount++] = 'I';
    }
    if (underline) {
        styles[styleCount++] = 'U';
    }
    if (strikeOut) {
        styles[styleCount++] = 'S';
    }
    writeBoxRecord(writer, *this, kCe3Comment, offset, Ce3Writer::field(kCe3KeyText, text),
                   Ce3Writer::field(kCe3KeyFontName, fontName),
                   Ce3Writer::field(kCe3KeyFontSize, fontSize),
                   Ce3Writer::field(kCe3KeyFontStyle, std::string_view(styles, styleCount)));
    return true;
}

std::unique_ptr<SchElement> SchComment::clone() const {
    return std::make_unique<SchComment>(*this);
}

// A comment has no orientation: mirroring or turning it in place changes nothing.
void SchComment::mirror() {}
void SchComment::rotate() {}

int SchComment::hitTest(SchPoint p) const {
    return hitElementBox(p, area());
}

bool SchComment::touchesArea(const SchRect& r) const {
    // A text never measured counts as touching every area.
    return !extentValid || r.intersects(area());
}

SchRect SchComment::area() const {
    if (!extentValid) {
        extent = kDefaultExtent;
        ascent = kDefaultAscent;
    }
    const int64_t top = int64_t{p1.y} - ascent;
    return SchRect(p1.x, clamp32(top), clamp32(int64_t{p1.x} + extent.x), clamp32(top + extent.y));
}

SchRect SchComment::pointArea() const {
    return SchRect(p1, p1);
}

bool SchComment::isValid() const {
    return !text.empty();
}
