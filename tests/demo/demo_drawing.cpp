#include "demo_drawing.h"

#include "ce2_builder/ce2_builder.h"

using namespace ce2build;

std::string demoDrawing() {
    // CP932 texts: 電源, 入力, 抵抗, 回路図の例, 電源は5V.
    const std::string power = "\x93\x64\x8C\xB9";
    const std::string input = "\x93\xFC\x97\xCD";
    const std::string resistor = "\x92\xEF\x8D\x52";
    const std::string example = "\x89\xF1\x98\x48\x90\x7D\x82\xCC\x97\xE1";
    const std::string powerIs5V = power + "\x82\xCD" + "5V";

    std::string d;
    d += header({.sizeIndex = 2});  // 1600 x 1200
    d += line(kWire, 0x00, 100, 100, 300, 100);
    d += line(kWire, 0x00, 300, 100, 300, 250);
    d += line(kBus, 0x10, 100, 400, 500, 400);
    d += line(kDash, 0x20, 80, 60, 620, 60);
    d += junction(0x00, 300, 100);
    d += entry(0x02, 200, 400);  // wire entry, rising to the right
    d += entry(0x01, 400, 400);  // bus entry, rising to the left
    d += label({.x = 100, .y = 95, .text = power});
    d += label({.flags = 0x08, .x = 305, .y = 200, .text = "VCC"});  // vertical
    d += tag({.flags = 0x01, .x = 40, .y = 95, .text = input});
    d += component({.x = 300,
                    .y = 250,
                    .direction = 1,
                    .name = resistor,
                    .reference = "R1",
                    .library = "RESISTOR"});
    d += comment({.x = 100, .y = 500, .sizeClass = 1, .text = example});
    d += comment({.x = 100, .y = 540, .sizeClass = 0, .text = powerIs5V});
    d += line(kWire, 0x00, -300, -200, -100, -200);  // outside the sheet: left out
    return d;
}
