// The page's own texts, in the language of its messages: they are translated by the same
// catalogue as the programs' messages, so that one file holds every Japanese text.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include "platform/text.h"

namespace {

using emscripten::val;

// {key: text} for the page's script, which places each text by its key. Texts with %lu or %s
// are completed by the script.
val pageTexts() {
    const std::pair<const char*, const char*> texts[] = {
        {"title", translated("MORVEX: .ce2 drawings to .ce3, in the browser")},
        {"privacy", translated("Nothing leaves this page: your drawings are converted on this "
                               "computer, and the page makes no request once it has loaded.")},
        {"drop", translated("Drop .ce2 drawings or folders here, or choose them:")},
        {"pickFiles", translated("Choose files…")},
        {"pickFolder", translated("Choose a folder…")},
        {"writeBeside", translated("Convert a folder and write beside its drawings…")},
        {"writeBesideHint",
         translated("Each .ce3 file is written beside its .ce2 drawing; a .ce3 drawing saved "
                    "from the editor is never replaced.")},
        {"fonts", translated("Fonts of comments")},
        {"largeFace", translated("Large comments: font")},
        {"smallFace", translated("Other comments: font")},
        {"size", translated("Size in points")},
        {"defaults", translated("Restore the defaults")},
        {"results", translated("Results")},
        {"file", translated("File")},
        {"report", translated("Report")},
        {"output", translated("Output")},
        {"downloadAll", translated("Download all as a zip")},
        {"kicadOption", translated("Also make KiCad schematics (.kicad_sch)")},
        {"downloadKicad", translated("Download as KiCad")},
        {"preview", translated("Preview")},
        {"previewHint", translated("Select a row to see its drawing.")},
        {"openDrawing", translated("Open the drawing by itself")},
        {"zoomIn", translated("Zoom in")},
        {"zoomOut", translated("Zoom out")},
        {"zoomFit", translated("Fit to the pane")},
        {"largeDrawing", translated("This drawing has %lu elements: it is drawn only when asked, "
                                    "in a tab of its own, so that this page stays responsive.")},
        {"showLarge", translated("Show the drawing")},
        {"noPreview", translated("Nothing to show for this file.")},
        {"converting", translated("Converting: %lu of %lu files done")},
        {"written", translated("written beside the source")},
        {"fontsRefused", translated("Nothing was converted: the fonts must be corrected first.")},
        {"licence", translated("Licence")},
        {"offline", translated("Once opened, this page works offline too, and the browser can "
                               "install it as an app.")},
        {"cancel", translated("Cancel")},
        {"cancelledCount", translated("%lu files cancelled.")},
        {"clear", translated("Clear the list")},
        {"retry", translated("Retry the files that could not be read")},
        {"joinQuestion", translated("The list holds files already. Add the new files to it, or "
                                    "replace it with them?")},
        {"addToList", translated("Add to the list")},
        {"replaceList", translated("Replace the list")},
        {"keepList", translated("Take nothing")},
        {"failuresOnly", translated("Show only the files not converted")},
        {"skipToActions", translated("Skip to the downloads")},
        {"saveReport", translated("Save the report (CSV)")},
        {"zipping", translated("Making the zip: %lu of %lu files")},
    };
    val object = val::object();
    for (const auto& [key, text] : texts) {
        object.set(key, std::string(text));
    }
    return object;
}

}  // namespace

EMSCRIPTEN_BINDINGS(page_texts) {
    emscripten::function("pageTexts", &pageTexts);
}
