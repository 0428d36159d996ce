#include "shipped_table.h"

// Filled by package/seal_payload.py; the markers are what it looks for.
extern "C" __attribute__((used)) const ShippedTable vmxShippedTable = {
    {'V', 'M', 'X', '-', 'S', 'H', 'I', 'P', 'P', 'E', 'D', '-', '>', '>', '>', '1'},
    0,
    {},
    {},
    {'1', '<', '<', '<', '-', 'S', 'H', 'I', 'P', 'P', 'E', 'D', '-', 'V', 'M', 'X'},
};
