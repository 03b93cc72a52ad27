#include "bench/corpus.h"

#include <array>
#include <string_view>

#include "ce2_builder/ce2_builder.h"

namespace benchcorpus {
namespace {

// splitmix64: small, fast and the same on every platform.
class Random {
  public:
    explicit Random(uint64_t seed) : state_(seed) {}

    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // 0 .. n - 1
    int below(int n) { return static_cast<int>(next() % static_cast<uint64_t>(n)); }
    int between(int low, int high) { return low + below(high - low + 1); }

    template <typename T, std::size_t N>
    const T& pick(const std::array<T, N>& items) {
        return items[static_cast<std::size_t>(below(static_cast<int>(N)))];
    }

  private:
    uint64_t state_;
};

constexpr int kSheetIndex = 4;  // 3000 x 2000
constexpr int kWidth = 3000;
constexpr int kHeight = 2000;
constexpr int kMargin = 100;

// Shift-JIS words: input, output, power, clock, reset.
constexpr std::array<std::string_view, 5> kJapanese = {
    "\x93\xfc\x97\xcd", "\x8f\x6f\x97\xcd", "\x93\x64\x8c\xb9", "\x83\x4e\x83\x8d\x83\x62\x83\x4e",
    "\x83\x8a\x83\x5a\x83\x62\x83\x67"};
constexpr std::array<std::string_view, 10> kNets = {"VCC", "GND", "CLK", "RESET#", "D",
                                                    "A",   "SCL", "SDA", "TX",     "RX"};
constexpr std::array<std::string_view, 8> kParts = {"74HC00", "74HC74", "R",    "C",
                                                    "LM358",  "ATMEGA", "XTAL", "CONN10"};
constexpr std::array<std::string_view, 6> kPrefixes = {"U", "R", "C", "IC", "X", "CN"};
constexpr std::array<std::string_view, 4> kLibraries = {"LOGIC", "PASSIVE", "ANALOG", "MCU"};
constexpr std::array<std::string_view, 6> kComments = {
    "power supply 5V",    "rev 1.2, 50% duty",       "see sheet 2",
    "TODO: check timing", "decoupling near each IC", "note"};

int gridX(Random& r) {
    return 10 * r.between(kMargin / 10, (kWidth - 2 * kMargin) / 10);
}

int gridY(Random& r) {
    return 10 * r.between(kMargin / 10, (kHeight - 2 * kMargin) / 10);
}

std::string netName(Random& r) {
    std::string name(r.pick(kNets));
    if (name.size() <= 2) {
        name += std::to_string(r.below(16));
    }
    return name;
}

std::string commentText(Random& r) {
    std::string text(r.pick(kComments));
    if (r.below(3) == 0) {
        text = std::string(r.pick(kJapanese)) + " " + text;
    }
    return text;
}

std::string line(Random& r, int type) {
    const int x = gridX(r);
    const int y = gridY(r);
    const int length = 10 * r.between(1, 20);
    const bool horizontal = r.below(2) == 0;
    return ce2build::line(type, r.below(8) << 4, x, y, horizontal ? x + length : x,
                          horizontal ? y : y + length);
}

std::string component(Random& r) {
    ce2build::Component c;
    c.flags = r.below(8) << 4;
    c.x = gridX(r);
    c.y = gridY(r);
    c.direction = r.below(8);
    c.block = r.below(4);
    c.name = std::string(r.pick(kParts));
    c.reference = std::string(r.pick(kPrefixes)) + std::to_string(r.between(1, 299));
    c.library = std::string(r.pick(kLibraries));
    return ce2build::component(c);
}

std::string comment(Random& r) {
    ce2build::Comment c;
    c.flags = r.below(8) << 4;
    c.x = gridX(r);
    c.y = gridY(r);
    c.sizeClass = r.below(4) == 0 ? 1 : 0;
    c.text = commentText(r);
    return ce2build::comment(c);
}

std::string textRecord(Random& r, bool isTag) {
    ce2build::Text t;
    t.flags = (r.below(8) << 4) | (isTag ? r.below(4) : (r.below(4) == 0 ? 8 : 0));
    t.x = gridX(r);
    t.y = gridY(r);
    t.text = netName(r);
    return isTag ? ce2build::tag(t) : ce2build::label(t);
}

// One element record; the weights are percentages.
std::string element(Random& r) {
    const int roll = r.below(100);
    if (roll < 30) {
        return line(r, ce2build::kWire);
    }
    if (roll < 40) {
        return ce2build::junction(r.below(8) << 4, gridX(r), gridY(r));
    }
    if (roll < 60) {
        return component(r);
    }
    if (roll < 70) {
        return textRecord(r, false);
    }
    if (roll < 75) {
        return textRecord(r, true);
    }
    if (roll < 85) {
        return comment(r);
    }
    if (roll < 89) {
        return line(r, ce2build::kBus);
    }
    if (roll < 92) {
        return line(r, ce2build::kDash);
    }
    // Entries: flags bit 1 set for a wire entry, clear for a bus entry; bit 0 the slant.
    return ce2build::entry((r.below(8) << 4) | (roll < 96 ? 2 : 0) | r.below(2), gridX(r),
                           gridY(r));
}

}  // namespace

std::string mixedDrawing(std::size_t elements, uint64_t seed) {
    Random r(seed);
    ce2build::Header header;
    header.sizeIndex = kSheetIndex;
    std::string out = ce2build::header(header);
    out.reserve(elements * 24);
    for (std::size_t i = 0; i < elements; ++i) {
        out += element(r);
    }
    return out;
}

}  // namespace benchcorpus
