// Arbitrary bytes through the token reader; every token read, written again as a token, must
// read back identical. Input without NUL bytes is also read from memory as one block: where the
// stream's blocks end must not change the tokens or line numbers. All tokens written to a stream,
// a line ended after each token whose first byte is odd, give the bytes they give in memory.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "ce3/ce3_reader.h"
#include "ce3/ce3_writer.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* in = openBytes(data, size);
    Ce3Reader reader(in);
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const bool hasNul = bytes.find('\0') != std::string::npos;
    Ce3Reader fromMemory(hasNul ? "" : bytes.c_str());
    std::string token;
    std::string memoryToken;
    std::string again;
    FILE* const written = std::tmpfile();
    if (written == nullptr) {
        propertyFailed("no temporary file for the writer");
    }
    auto toStream = std::make_unique<Ce3Writer>(written);
    std::string inMemory;
    Ce3Writer toText(&inMemory);
    int previousLine = 1;
    for (;;) {
        const int line = reader.readToken(token);
        if (!hasNul &&
            (fromMemory.readToken(memoryToken) != line || (line >= 0 && memoryToken != token))) {
            propertyFailed("the stream and the memory source split the input differently");
        }
        if (line < 0) {
            break;
        }
        if (line < previousLine || token.size() > Ce3Reader::kMaxTokenBytes) {
            propertyFailed("line numbers went back or a token outgrew the cap");
        }
        previousLine = line;
        for (Ce3Writer* w : {toStream.get(), &toText}) {
            w->writeToken(token);
            if (!token.empty() && (token[0] & 1) != 0) {
                w->endLine();
            }
        }
        // The writer ends a token at a NUL byte, and an empty token alone on a line reads as none.
        if (token.empty() || token.find('\0') != std::string::npos) {
            continue;
        }
        std::string text;
        Ce3Writer writer(&text);
        if (writer.writeToken(token) != 0 || writer.endLine() != 0) {
            propertyFailed("writing to memory failed");
        }
        Ce3Reader back(text.c_str());
        if (back.readToken(again) != 1 || again != token || back.readToken(again) != -1) {
            propertyFailed("a written token reads back differently");
        }
    }
    toStream.reset();  // hands an unfinished line on
    std::rewind(written);
    std::string fromStream;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, written)) > 0;) {
        fromStream.append(buffer, n);
    }
    if (fromStream != inMemory) {
        propertyFailed("the writer gives a stream other bytes than memory");
    }
    fclose(written);
    fclose(in);
    return 0;
}
