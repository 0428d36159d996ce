#include "embedded_payload.h"

#include <windows.h>

#include <string>

#include "ask_user.h"
#include "cabinet_unpack.h"
#include "environment.h"
#include "exit_codes.h"
#include "inf_installer.h"
#include "install.h"
#include "payload_trust.h"
#include "run_state.h"
#include "setup_file.h"
#include "setup_texts.h"
#include "staged_payload.h"

namespace {

struct ResourceBytes {
    const char* data = nullptr;
    size_t size = 0;
};

// A resource of the program's own loaded image: mapped with the program, so nothing is
// read again from the file, which may sit in Downloads or on a share.
ResourceBytes OwnResource(const char* name) {
    HRSRC found = FindResourceA(nullptr, name, MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return {};
    return {static_cast<const char*>(data), SizeofResource(nullptr, found)};
}

// The program's own file, to name it in the box and to read its signature. Through the
// wide name and its short form: the file may lie in a folder whose name is outside the
// code page, which the "A" name would give as question marks.
std::string OwnFileA() {
    wchar_t wide[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, wide, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::string();
    wchar_t shortName[MAX_PATH] = {};
    const DWORD shortLength = GetShortPathNameW(wide, shortName, MAX_PATH);
    const wchar_t* use = shortLength > 0 && shortLength < MAX_PATH ? shortName : wide;
    char narrow[MAX_PATH] = {};
    BOOL lossy = FALSE;
    if (!WideCharToMultiByte(CP_ACP, 0, use, -1, narrow, MAX_PATH, nullptr, &lossy) || lossy)
        return std::string();
    return narrow;
}

std::string LastPart(const std::string& path) {
    const std::string::size_type slash = path.rfind('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The long name of the program's own file for the box, in the code page where it can be.
std::string OwnNameForBox() {
    char own[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, own, MAX_PATH);
    return LastPart(length > 0 && length < MAX_PATH ? std::string(own, length) : std::string());
}

void RefuseDamagedPayload(const std::string& faultyFile, const std::string& why) {
    const std::string file = faultyFile.empty() ? OwnNameForBox() : faultyFile;
    const char* text = IsJapaneseSystem() ? Texts::DamagedPayloadJapanese : Texts::DamagedPayloadFrench;
    AskUser(text + file, ProductDisplayName + Texts::InstallCaptionSuffix, MB_OK | MB_ICONERROR,
            IDOK);
    NoteFailure(ExitCode::Failed, why + ": " + file);
    NoteAskedRunFails();
}

}  // namespace

bool CarriesPayload() {
    return FindResourceA(nullptr, VMX_PAYLOAD_CABINET, MAKEINTRESOURCEA(10)) != nullptr;
}

void RunEmbeddedInstall() {
    FillSystemFolders();
    // Straight into a folder that only administrators change: nothing of the payload is
    // ever written where the user's other programs could swap it, and the temporary
    // folder of the user gets nothing.
    StagedPayload staged{StagedPayload::Empty{}};
    const ResourceBytes cabinet = OwnResource(VMX_PAYLOAD_CABINET);
    const ResourceBytes recorded = OwnResource(VMX_PAYLOAD_SUMS);
    const PayloadSums sums = ReadPayloadSums(std::string(recorded.data ? recorded.data : "", recorded.size));
    std::string faulty;
    const CreateStagedFile create = [&staged](const std::string& name) {
        return staged.CreateStagedFile(name);
    };
    if (!UnpackCheckedCabinet(cabinet.data, cabinet.size, sums, create, faulty)) {
        RefuseDamagedPayload(faulty, "the carried payload is damaged");
        return;
    }
    // With a release certificate its programs and DLLs carry the publisher's signature as
    // well, as those of the unpacked package do.
    std::string own = OwnFileA();
    if (own.empty()) own = RunningProgramFile();
    const std::string untrusted = FirstUntrustedPayloadFile(own, staged.Folder(), staged.Files());
    if (!untrusted.empty()) {
        RefuseDamagedPayload(untrusted, "not signed by the setup program's publisher");
        return;
    }
    const ScopedStagedPackage package(staged.Folder());
    RunInstall();
}
