#pragma once

#include "render/primitives.h"

class SchDocument;

// The document's live elements as drawing primitives, in the document's order, each derived from
// the element's own geometry. Elements whose area misses the sheet are drawn too, marked. Reads
// the document only, so different documents may be drawn on different threads at once.
Drawing drawDocument(const SchDocument& doc);
