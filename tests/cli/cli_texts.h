#pragma once

#include <string>

#include "ce2_builder/ce2_builder.h"

// The completion notice outside a Japanese locale.
inline const std::string kCompletion =
    "The conversion has finished.\n"
    "The files written are .CE3 files without library information.\n"
    "Set up the libraries they need before loading them into Tovr3/Pelnak for the first time.\n"
    "Saving them over in Tovr3/Pelnak makes them .CE3 files with library information.\n";

// The records of a drawing of two wires, the smallest that is converted.
inline const std::string kTwoWires = ce2build::line(ce2build::kWire, 0, 10, 10, 50, 10) +
                                     ce2build::line(ce2build::kWire, 0, 5, 5, 5, 9);
