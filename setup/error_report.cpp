#include "error_report.h"

#include <windows.h>

#include <cstdio>
#include <new>

#include "ask_user.h"
#include "errors.h"

std::string RunningProgramName() {
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string name = path;
    std::string::size_type slash = name.rfind('\\');
    if (slash != std::string::npos) name.erase(0, slash + 1);
    if (name.size() > 63) name.resize(63);
    return name;
}

std::uintptr_t ProgramCodeStart() {
    auto base = reinterpret_cast<const unsigned char*>(GetModuleHandleA(nullptr));
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        if (std::string(reinterpret_cast<const char*>(section->Name),
                        strnlen(reinterpret_cast<const char*>(section->Name),
                                IMAGE_SIZEOF_SHORT_NAME)) == ".text")
            return reinterpret_cast<std::uintptr_t>(base) + section->VirtualAddress;
    }
    return reinterpret_cast<std::uintptr_t>(base) + nt->OptionalHeader.BaseOfCode;
}

std::string DefaultErrorReportText(const char* className, const std::string& message,
                                   const void* raiseAddress) {
    unsigned long offset = 0;
    if (raiseAddress)
        offset = static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(raiseAddress) -
                                            ProgramCodeStart());
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08lX", offset);

    std::string text = "Exception ";
    text += className;
    text += " in module ";
    text += RunningProgramName();
    text += " at ";
    text += hex;
    text += ".\n";
    text += message;
    if (!message.empty() && message.back() != '.') text += '.';
    return text;
}

void ShowDefaultErrorReport(const Exception& error) {
    std::string text =
        DefaultErrorReportText(error.ClassName(), error.Message(), error.RaiseAddress());
    const std::string caption("Application Error");
    AskUser(text, caption, MB_TASKMODAL | MB_ICONERROR, IDOK);
}

int RunWithErrorReport(const std::function<void()>& work) {
    try {
        work();
        return 0;
    } catch (const Exception& error) {
        ShowDefaultErrorReport(error);
    } catch (const std::bad_alloc&) {
        ShowDefaultErrorReport(EOutOfMemory("Out of memory"));
    }
    return 1;
}
