#pragma once

#include <span>

// Message catalogues built into the program, for systems without gettext: each is generated at
// build time from po/LANG.po (cmake/catalogue_table.awk).

// One message: its English text (the singular of a plural message) and its translation.
struct CatalogueEntry {
    const char* english;
    const char* translation;
};

// The Japanese messages, in the catalogue's order.
extern const std::span<const CatalogueEntry> kJapaneseMessages;
