// Deleting an installed file, letting the user retry while Windows refuses it.
#pragma once

#include <string>

// Deletes the file. When Windows refuses with access denied (as for a DLL that Explorer
// still has loaded), asks whether to try again: Retry tries at once, Cancel leaves the file.
// Any other failure, a missing file included, leaves the file without a word.
void DeleteFileWithRetry(const std::string& path);