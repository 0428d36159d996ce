// Taking paths apart by their separators. In a double-byte code page (932) the second byte
// of a character can be 0x5C, the backslash, so paths are walked character by character.
#pragma once

#include <windows.h>

#include <string>

template <class Text>
struct BasicPathParts {
    Text name;    // the last part ("y.txt"), or the root itself ("C:\")
    Text folder;  // everything before it ("C:\x"), a root with its backslash ("C:\")
};
using PathParts = BasicPathParts<std::string>;
using WidePathParts = BasicPathParts<std::wstring>;

PathParts SplitItemPath(const std::string& path, UINT codePage = CP_ACP);
// The same for a UTF-16 path, whose separators are always whole characters.
WidePathParts SplitItemPath(const std::wstring& path);

// The root of the volume a full path lies on, with its trailing backslash: "C:\" or
// "\\server\share\". Empty when the path has neither form.
std::string VolumeRootOf(const std::string& fullPath, UINT codePage = CP_ACP);
