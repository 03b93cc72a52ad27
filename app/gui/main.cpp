#include "app/gui/morvex_app.h"

int main(int argc, char** argv) {
    CMorvexApp app;
    return app.run(argc, argv);
}
