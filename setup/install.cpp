#include "install.h"

void RunInstall() {}
