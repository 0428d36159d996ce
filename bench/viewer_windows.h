// Files on disk for the benchmarks that start the viewer, and closing its window between
// starts.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace bench {

// The temporary folder, with its trailing backslash.
std::string TempFolder();
void WriteBytes(const std::string& path, const std::string& bytes);
// `count` files of a few kilobytes each in `folder`, which is made; their paths.
std::vector<std::string> MakeFiles(const std::string& folder, int count);
void RemoveFiles(const std::string& folder, const std::vector<std::string>& paths);
// Closes the viewer's window and waits for its end, so that starts do not pile up.
void CloseViewer();

}  // namespace bench
