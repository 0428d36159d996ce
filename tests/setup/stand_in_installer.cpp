// Planted under the INF installer's name in the current folder. It installs nothing and
// leaves a mark, so a flow that starts it instead of the system's installer shows.
#include <windows.h>

int main() {
    HANDLE mark = CreateFileA("stand-in-ran.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (mark != INVALID_HANDLE_VALUE) CloseHandle(mark);
    return 0;
}
