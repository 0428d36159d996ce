#include "uninstall.h"

void RunUninstall() {}
