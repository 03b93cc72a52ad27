// Writes the demo drawing to the given file; examples/demo.ce2 is its output.
#include <fstream>
#include <iostream>

#include "demo_drawing.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_demo OUTPUT.ce2\n";
        return 2;
    }
    const std::string bytes = demoDrawing();
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::cerr << "make_demo: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
