#include "platform/console.h"

void showUtf8OnConsoles() {}
