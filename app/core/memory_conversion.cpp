#include "app/core/memory_conversion.h"

#include <new>
#include <utility>

#include "app/core/conversion_inputs.h"
#include "app/core/conversion_steps.h"
#include "app/core/conversion_text.h"
#include "app/core/kicad_file.h"
#include "ce3/ce3_writer.h"
#include "ce3/converted_contents.h"
#include "model/document.h"
#include "platform/memory_stream.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace {

// A drawing held as bytes, its output made as bytes.
class MemoryEnds final : public ConversionEnds {
  public:
    MemoryEnds(MemoryConversion& converted, std::string_view ce2, const ConversionOptions& options,
               const DocumentDrawer& drawer, std::optional<std::string_view> existingOutput,
               const KicadMaker& kicadMaker)
        : converted_(converted),
          ce2_(ce2),
          options_(options),
          drawer_(drawer),
          existingOutput_(existingOutput),
          kicadMaker_(kicadMaker) {}

    bool read(SchDocument& doc, FileReport& report) override {
        report.sourceSize = ce2_.size();
        report.elementsRead = readCe2Bytes(ce2_, doc, options_, &report.reading);
        return true;
    }

    std::optional<KeptOutput> keptOutput() override {
        if (!existingOutput_ || existingOutput_->empty()) {
            return std::nullopt;
        }
        KeptOutput kept;
        kept.contents = checkConvertedContents(*existingOutput_);
        if (kept.contents.finding == ContentsFinding::Converted) {
            return std::nullopt;
        }
        return kept;
    }

    bool write(SchDocument& doc, FileReport&) override {
        Ce3Writer writer(&converted_.ce3);
        doc.writeFile(writer);
        return true;
    }

    std::optional<DrawingReport> draw(const SchDocument& doc) override {
        if (!drawer_) {
            return std::nullopt;
        }
        converted_.svg = drawer_(doc);
        return DrawingReport{};
    }

    std::optional<DrawingReport> writeKicad(const SchDocument& doc) override {
        if (!kicadMaker_) {
            return std::nullopt;
        }
        return makeKicadInMemory(kicadMaker_, doc, makeKicadPath(converted_.report.source),
                                 converted_.kicad);
    }

  private:
    MemoryConversion& converted_;
    std::string_view ce2_;
    const ConversionOptions& options_;
    const DocumentDrawer& drawer_;
    std::optional<std::string_view> existingOutput_;
    const KicadMaker& kicadMaker_;
};

}  // namespace

DrawingReport makeKicadInMemory(const KicadMaker& maker, const SchDocument& doc,
                                const std::string& path, std::string& text) {
    KicadSchematic made = maker(doc, path.substr(finalComponentStart(path)));
    text = std::move(made.text);
    return {true, describeKicadWritten(path, made.summary, false), false,
            describeKicadCounts(made.summary)};
}

MemoryConversion convertCe2Bytes(std::string_view ce2, const std::string& name,
                                 const ConversionOptions& options, const DocumentDrawer& drawer,
                                 std::optional<std::string_view> existingOutput,
                                 const KicadMaker& kicadMaker) {
    MemoryConversion converted;
    converted.report.source = name;
    converted.report.output = makeCe3Path(name);
    try {
        MemoryEnds ends(converted, ce2, options, drawer, existingOutput, kicadMaker);
        convertDrawing(ends, converted.report);
    } catch (const std::bad_alloc&) {
        // The document and what was read are freed by now; the partial output is dropped.
        converted.ce3 = std::string();
        converted.report.outcome = FileOutcome::NotEnoughMemory;
    }
    return converted;
}
