// Writes the seed corpora of the fuzz targets into the folder given: CE2 drawings composed with the
// project's CE2 builder, the CE3 files that converting them gives (both for the SVG target),
// and settings files.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ce2/ce2_reader.h"
#include "ce2_builder/ce2_builder.h"
#include "model/document.h"

namespace {

namespace fs = std::filesystem;
using namespace ce2build;

const std::string kGothic = "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E";

std::vector<std::string> ce2Seeds() {
    const std::string head = header({.sizeIndex = 2});
    const std::string everyKind =
        head + junction(0x10, 100, 100) + entry(0x02, 200, 200) + entry(0x01, 210, 200) +
        line(kBus, 0, 10, 20, 300, 20) + line(kWire, 0x20, 10, 40, 300, 40) +
        line(kDash, 0, 10, 60, 10, 300) + label({.flags = 0, .x = 50, .y = 80, .text = "A1"}) +
        label({.flags = 8, .x = 60, .y = 80, .text = "\x93\xfc\x97\xcd"}) +
        tag({.flags = 1, .x = 70, .y = 90, .text = "IN"}) +
        component({.x = 400,
                   .y = 400,
                   .direction = 5,
                   .block = 1,
                   .name = "U1",
                   .reference = "74LS00",
                   .library = "74LS00"}) +
        comment({.x = 120, .y = 340, .sizeClass = 1, .text = "\x95\xe2\x91\xab"}) +
        comment({.x = 120, .y = 360, .text = "small"});
    return {
        "",
        head,
        everyKind,
        head + line(kWire, 0, 0, 0, 10, 0) + junction(0, 5, 0) + raw({7, 1, 2, 3}),
        header({.sizeIndex = 7, .width = 2000, .height = 900}) + everyKind,
        header({.corruptMagicAt = 5}) + line(kWire, 0, 0, 0, 10, 0),
        line(kWire, 0, -5000, -5000, 9000, 9000) + comment({.text = "x", .recordLength = 13}),
        everyKind.substr(0, everyKind.size() - 7),
    };
}

// Settings files, each after a byte that picks the entry written and the length of its value.
std::vector<std::string> profileSeeds() {
    return {
        std::string(1, '\x30') + "Arial",
        std::string(1, '\x31') + "12[LARGE_FONT]\r\nFACE=" + kGothic + "\r\nSIZE=12\r\n",
        std::string(1, '\x1c') + "Verd; c\n[small_font]\n  Face = X \n\nsize = 9\nnot a key",
        std::string(1, '\x02') + "[A]\r\nK=1\r\n[B]\r\n[a]\r\nK=2\r\n[A\r\n=\r\n",
    };
}

// A .ce3 drawing whose texts hold markup characters, controls, an escaped NUL and bytes that are
// no CP932, at coordinates on the limits of the 32-bit range.
const std::string kHostileCe3 =
    "+TOVR3_DATA_V.1.0\r\n"
    "+LABEL,X:5,Y:5,D:1,S:<&\"'>%01%7F\x80\xFF\x81,-LABEL\r\n"
    "+TAG,X:-2147483648,Y:2147483647,D:0,T:3,S:]]>,-TAG\r\n"
    "+COMMENT,X:1,Y:2,S:a%00b,FN:'\\<,FS:80,FF:BIUS,-COMMENT\r\n"
    "+COMPONENT,X:2147483647,Y:-2147483648,LIB:x,N:&amp;,NX:2147483647,R:%1B,-COMPONENT\r\n"
    "+WIRE,X1:7,Y1:7,X2:7,Y2:7,-WIRE\r\n"
    "-TOVR3_DATA_V.1.0\r\n";

void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: make_seeds FOLDER\n");
        return 2;
    }
    const fs::path root(argv[1]);
    for (const char* target : {"ce2", "ce3_load", "ce3_tokens", "svg", "profile"}) {
        fs::create_directories(root / target);
    }
    const auto profiles = profileSeeds();
    for (std::size_t i = 0; i < profiles.size(); ++i) {
        writeFile(root / "profile" / ("seed" + std::to_string(i)), profiles[i]);
    }
    ConversionOptions options;
    options.largeFontName = kGothic;
    options.smallFontName = "Verdana";
    const auto seeds = ce2Seeds();
    for (std::size_t i = 0; i < seeds.size(); ++i) {
        const std::string name = "seed" + std::to_string(i);
        writeFile(root / "ce2" / name, seeds[i]);
        FILE* in = fopen((root / "ce2" / name).c_str(), "rb");
        SchDocument doc;
        readCe2File(in, doc, options);
        fclose(in);
        const fs::path ce3 = root / "ce3_load" / name;
        if (doc.save(ce3.c_str()) != 0) {
            fprintf(stderr, "cannot save %s\n", ce3.c_str());
            return 1;
        }
        writeFile(root / "ce3_tokens" / name, readFile(ce3));
        // The SVG target reads each input both ways.
        writeFile(root / "svg" / ("ce2-" + name), seeds[i]);
        writeFile(root / "svg" / ("ce3-" + name), readFile(ce3));
    }
    writeFile(root / "svg" / "hostile.ce3", kHostileCe3);
    return 0;
}
