#include "embedded_payload.h"

#include <windows.h>

#include <string>

#include "ask_user.h"
#include "cabinet_unpack.h"
#include "environment.h"
#include "exit_codes.h"
#include "inf_installer.h"
#include "install.h"
#include "run_state.h"
#include "setup_texts.h"
#include "staged_folder.h"

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
    StagedFolder staged;
    const ResourceBytes cabinet = OwnResource(VMX_PAYLOAD_CABINET);
    const ResourceBytes recorded = OwnResource(VMX_PAYLOAD_SUMS);
    const PayloadSums sums = ReadPayloadSums(std::string(recorded.data ? recorded.data : "", recorded.size));
    std::string faulty;
    const CreateStagedFile create = [&staged](const std::string& name) {
        return staged.NewFile(name);
    };
    if (!UnpackCheckedCabinet(cabinet.data, cabinet.size, sums, create, faulty)) {
        RefuseDamagedPayload(faulty, "the carried payload is damaged");
        return;
    }
    // No signature of its own is checked per file: everything installed came out of this
    // program's image, which the one signature of the setup file covers, digests included.
    const ScopedStagedPackage package(staged.Path());
    RunInstall();
}
