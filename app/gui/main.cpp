#include "app/gui/morvex_app.h"
#include "platform/interruption.h"

int main(int argc, char** argv) {
    // A save interrupted where only a named temporary can be had leaves no file behind.
    installInterruptionHandlers();
    CMorvexApp app;
    return app.run(argc, argv);
}
