#include "app/core/report_csv.h"

#include <cstdio>

#include "app/core/conversion_text.h"

namespace {

// A field as RFC 4180 writes it: quoted, with its quotes doubled, when it holds a comma, a quote
// or a line end.
std::string csvQuoted(const std::string& field) {
    if (field.find_first_of(",\"\r\n") == std::string::npos) {
        return field;
    }
    std::string out = "\"";
    for (const char c : field) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    return out + "\"";
}

// The length of the valid UTF-8 sequence that begins at text[at], or 0 when none begins there:
// overlong forms, surrogates and code points above U+10FFFF are not valid.
std::size_t utf8LengthAt(std::string_view text, std::size_t at) {
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    unsigned char low = 0x80;  // the range of the second byte
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : low;
        high = lead == 0xED ? 0x9F : high;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : low;
        high = lead == 0xF4 ? 0x8F : high;
    } else {
        return 0;
    }
    if (text.size() - at < length || byte(at + 1) < low || byte(at + 1) > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

// The cell with the bytes that are not UTF-8 written as \xNN, and a leading ' when it would
// begin a formula.
std::string csvSafeText(std::string_view cell) {
    std::string text;
    for (std::size_t at = 0; at < cell.size();) {
        const std::size_t length = utf8LengthAt(cell, at);
        if (length == 0) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(cell[at]));
            text += escaped;
            ++at;
        } else {
            text.append(cell, at, length);
            at += length;
        }
    }
    if (!text.empty() && std::string_view("=+-@\t\r").find(text[0]) != std::string_view::npos) {
        text.insert(0, 1, '\'');
    }
    return text;
}

}  // namespace

std::string csvField(std::string_view cell) {
    return csvQuoted(csvSafeText(cell));
}

std::string csvRow(std::initializer_list<std::string> fields) {
    std::string line;
    for (const std::string& field : fields) {
        if (&field != fields.begin()) {
            line += ',';
        }
        line += csvField(field);
    }
    return line + "\r\n";
}

std::string csvFileRow(const FileReport& report, bool dryRun) {
    const bool converted = report.outcome == FileOutcome::Converted;
    std::string outcome = "not converted";
    if (converted) {
        outcome = dryRun ? "would be converted" : "converted";
        outcome += convertedInPart(report) ? " in part" : "";
    }
    const bool stopped = report.reading.stop != Ce2Stop::EndOfFile;
    return csvRow(
        {report.source, report.output, outcome,
         converted ? std::to_string(report.elementsWritten) : std::string(),
         converted ? std::to_string(report.elementsOutside + report.emptyTexts) : std::string(),
         stopped ? std::to_string(report.reading.offset) : std::string(),
         converted ? (stopped ? describeCe2Stop(report.reading) : std::string())
                   : describeOutcome(report)});
}

std::string csvProblemRow(const std::string& path, const std::string& reason) {
    return csvRow({path, "", "not converted", "", "", "", reason});
}

std::string csvDrawingRow(const std::string& path, const std::string& svg, bool drawn,
                          const std::string& text, bool dryRun) {
    return csvRow({path, svg, drawn ? (dryRun ? "would be drawn" : "drawn") : "not drawn", "", "",
                   "", drawn ? std::string() : text});
}

std::string csvKicadRow(const std::string& path, const std::string& kicad,
                        const DrawingReport& done, bool dryRun) {
    const char* const outcome = !done.ok ? "KiCad not written"
                                : dryRun ? "KiCad would be written"
                                         : "KiCad written";
    return csvRow({path, kicad, outcome, "", "", "", done.ok ? done.counts : done.text});
}
