#include "system_calls.h"

ViewerSystemCalls ViewerCalls = {
    ::MessageBoxA,
};
