// From the command line to what the viewer shows: the request is checked, the list read,
// the disk looked at. The items are not: their window looks them up once it shows.
// Problems are told to the user in a message box and end the program with an exit code
// that says which one it was.
#pragma once

#include <string>
#include <vector>

#include "disk_info.h"
#include "viewer_texts.h"

enum ViewerExitCode {
    kExitDone = 0,
    kExitBadCommandLine = 1,
    kExitListUnreadable = 2,
    kExitDiskUnreadable = 3,
    kExitNoWindow = 4,
};

enum class ViewerShow { Nothing, Items, Disk };

struct ViewerStart {
    ViewerShow show = ViewerShow::Nothing;
    int exitCode = kExitDone;        // for ViewerShow::Nothing
    std::vector<std::string> paths;  // the items, as given: not looked up yet
    int focusIndex = 0;              // the item named on the command line
    bool fromList = false;
    DiskInfo disk;
    std::wstring title;
};

// arguments: the command line after the program name.
ViewerStart PrepareViewer(const char* arguments, const ViewerTexts& texts);

// A message box without owner, captioned with the product name.
void ShowViewerMessage(const std::string& text, const ViewerTexts& texts);

// text, the path, and the system's words for the error, one under the other.
std::string ProblemMessage(const char* text, const std::string& path, DWORD error);
