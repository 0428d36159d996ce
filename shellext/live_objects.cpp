#include "live_objects.h"

LONG LiveObjectCount = 0;
