#pragma once

#include "render/primitives.h"

class SchDocument;

// The document's live elements as drawing primitives, in the document's order, each derived from
// the element's own geometry. What a conversion leaves out is not drawn: an element outside the
// sheet is counted by the mark of the edge beyond which it lies, and the title line tells what is
// written and left out as a conversion's report does. Reads the document only, so different
// documents may be drawn on different threads at once.
Drawing drawDocument(const SchDocument& doc);
