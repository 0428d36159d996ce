// The vmxtool.dll this build made, as a Windows path for the test programs that load it.
#pragma once

#include <string>

namespace dlltest {

// VMX_BUILT_DLL is the Unix path of the DLL; Wine sees the Unix root as drive Z:.
inline std::string BuiltDllPath() {
    std::string path = "Z:" VMX_BUILT_DLL;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

}  // namespace dlltest
