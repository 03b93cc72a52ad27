#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "app/core/conversion.h"

// The rows of a run's CSV report, as `morvex-cli --report` writes them and the page saves them:
// UTF-8 with a byte-order mark, a header row, RFC 4180 quoting, CR LF line ends, every cell made
// safe to open (csvField). Each function gives one whole row, its line end included.

// The byte order mark and the header row that every report begins with.
inline constexpr std::string_view kCsvHeader =
    "\xEF\xBB\xBFsource,output,outcome,elements written,left out,stopped at byte,reason\r\n";

// A cell as the report writes it. Bytes that are not UTF-8 (a name in CP932, say) become \xNN, two
// upper-case hexadecimal digits; UTF-8 stays as it is. A cell that begins with =, +, -, @, tab or
// CR gets a leading ' so that no spreadsheet takes it for a formula. Then RFC 4180: the cell is
// quoted, its quotes doubled, when it holds a comma, a quote or a line end.
std::string csvField(std::string_view cell);

// A row of the cells given.
std::string csvRow(std::initializer_list<std::string> fields);

// A file of the batch, converted or not.
std::string csvFileRow(const FileReport& report, bool dryRun);
// A path that gave nothing to convert, and why.
std::string csvProblemRow(const std::string& path, const std::string& reason);
// A drawing made of a .ce3 file, or of a file converted, to svg; `text` says why it was not.
std::string csvDrawingRow(const std::string& path, const std::string& svg, bool drawn,
                          const std::string& text, bool dryRun);
// The KiCad file written of a .ce3 file, or of a file converted: its counts, or why not.
std::string csvKicadRow(const std::string& path, const std::string& kicad,
                        const DrawingReport& done, bool dryRun);
