#pragma once

#include <string>

#include "ce3/ce3_reader.h"
#include "ce3/ce3_writer.h"
#include "model/element.h"

// Writes one element's record into a string; an empty string when writeCe3 reports failure.
inline std::string writeRecord(SchElement& element, const SchPoint* offset = nullptr) {
    std::string out;
    Ce3Writer writer(&out);
    return element.writeCe3(writer, offset) ? out : std::string();
}

// Reads a record body (the text after the opening token) into element.
inline bool readBody(SchElement& element, const std::string& body,
                     const SchPoint* offset = nullptr) {
    Ce3Reader reader(body.c_str());
    return element.readCe3(reader, offset, nullptr);
}

// Reads a whole record line into element: the opener must be `opener`, as the document checks.
inline bool readLine(SchElement& element, const std::string& line, const std::string& opener) {
    Ce3Reader reader(line.c_str());
    std::string token;
    if (reader.readToken(token) < 0 || token != opener) {
        return false;
    }
    return element.readCe3(reader, nullptr, nullptr);
}
