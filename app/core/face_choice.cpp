#include "app/core/face_choice.h"

#include <algorithm>
#include <cstdlib>

#include "platform/text.h"

namespace {

bool isSpaceOrTab(char c) {
    return c == ' ' || c == '\t';
}

std::string folded(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), asciiLower);
    return out;
}

bool hasControlCharacter(std::string_view s) {
    return std::any_of(s.begin(), s.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F;
    });
}

// The length of the well-formed UTF-8 sequence at the start of s (shortest form, no surrogate,
// at most U+10FFFF); 0 when there is none.
std::size_t utf8SequenceLength(std::string_view s) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead < 0x80) {
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (s.size() < length || byte(1) < low || byte(1) > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) {
            return 0;
        }
    }
    return length;
}

}  // namespace

std::string shownFace(const std::string& storedBytes) {
    if (auto text = cp932ToUtf8(storedBytes)) {
        return std::move(*text);
    }
    std::string shown;
    std::string_view rest(storedBytes);
    while (!rest.empty()) {
        const std::size_t n = utf8SequenceLength(rest);
        shown.append(n > 0 ? rest.substr(0, n) : std::string_view("\xEF\xBF\xBD"));
        rest.remove_prefix(n > 0 ? n : 1);
    }
    return shown;
}

const std::vector<std::string>& commonWindowsFaces() {
    static const std::vector<std::string> faces = {
        "ＭＳ ゴシック",
        "ＭＳ Ｐゴシック",
        "ＭＳ 明朝",
        "ＭＳ Ｐ明朝",
        "MS UI Gothic",
        "メイリオ",
        "Meiryo UI",
        "游ゴシック",
        "游明朝",
        "Yu Gothic",
        "Yu Gothic UI",
        "Yu Mincho",
        "Arial",
        "Arial Black",
        "Century",
        "Courier New",
        "Georgia",
        "Lucida Console",
        "Microsoft Sans Serif",
        "Segoe UI",
        "Tahoma",
        "Times New Roman",
        "Trebuchet MS",
        "Verdana",
    };
    return faces;
}

std::string plainFamily(std::string_view family) {
    while (!family.empty() && isSpaceOrTab(family.back())) {
        family.remove_suffix(1);
    }
    if (!family.empty() && family.back() == ']') {
        const std::size_t open = family.rfind(" [");
        if (open != std::string_view::npos && open > 0) {
            family = family.substr(0, open);
        }
    }
    while (!family.empty() && isSpaceOrTab(family.front())) {
        family.remove_prefix(1);
    }
    while (!family.empty() && isSpaceOrTab(family.back())) {
        family.remove_suffix(1);
    }
    return std::string(family);
}

std::vector<std::string> offeredFaces(const std::string& storedFace,
                                      const std::vector<std::string>& installed) {
    std::vector<std::string> faces;
    std::vector<std::string> seen;  // folded, in the order of faces
    const auto offer = [&](const std::string& face) {
        std::string key = folded(face);
        if (face.empty() || std::find(seen.begin(), seen.end(), key) != seen.end()) {
            return;
        }
        seen.push_back(std::move(key));
        faces.push_back(face);
    };
    offer(storedFace);
    for (const std::string& face : commonWindowsFaces()) {
        offer(face);
    }
    for (const std::string& family : installed) {
        offer(plainFamily(family));
    }
    std::stable_sort(faces.begin(), faces.end(), [](const std::string& a, const std::string& b) {
        return folded(a) < folded(b);
    });
    return faces;
}

FaceChoice chooseFace(const std::string& storedBytes, const std::string& shownFace,
                      const std::string& chosenFamily) {
    const std::string family = plainFamily(chosenFamily);
    if (chosenFamily == shownFace || family == shownFace) {
        return {FaceOutcome::Kept, storedBytes, shownFace};
    }
    if (family.empty()) {
        return {FaceOutcome::Empty, {}, family};
    }
    if (hasControlCharacter(family)) {
        return {FaceOutcome::HasControlCharacter, {}, family};
    }
    auto bytes = utf8ToCp932(family);
    if (!bytes) {
        return {FaceOutcome::NotCp932, {}, family};
    }
    return {FaceOutcome::Changed, std::move(*bytes), family};
}

int nearestPoints(int pixels) {
    // pixels * 72 / 96 = pixels * 3 / 4, rounded half away from zero.
    const int64_t fourTimesPoints = int64_t{pixels} * 3;
    return static_cast<int>((fourTimesPoints + (fourTimesPoints < 0 ? -2 : 2)) / 4);
}

int pixelsToPoints(int pixels) {
    return static_cast<int>(std::llabs(int64_t{pixels} * 72 / 96));
}
