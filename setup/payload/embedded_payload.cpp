#include "embedded_payload.h"

#include <windows.h>

#include <string>

#include "cabinet_unpack.h"
#include "child_setup.h"
#include "environment.h"
#include "refusal_report.h"
#include "run_options.h"
#include "setup_texts.h"
#include "staged_folder.h"

namespace {

// The plain setup program among the files carried: the one that does all the work.
const char kCarriedSetup[] = "vmxinst64.exe";

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

// The long name of the program's own file for the box, in the code page where it can be.
std::string OwnName() {
    char own[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, own, MAX_PATH);
    const std::string path = length > 0 && length < MAX_PATH ? std::string(own, length) : std::string();
    const std::string::size_type slash = path.rfind('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int RunFromStagedFolder(const char* commandLine, const RunOptions& options) {
    // Straight into a folder that only administrators change: nothing of the payload is
    // ever written where the user's other programs could swap it, and the user's
    // temporary folder gets nothing. It goes when this run ends.
    StagedFolder staged;
    const ResourceBytes cabinet = OwnResource(VMX_PAYLOAD_CABINET);
    const ResourceBytes recorded = OwnResource(VMX_PAYLOAD_SUMS);
    const PayloadSums sums =
        ReadPayloadSums(std::string(recorded.data ? recorded.data : "", recorded.size));
    std::string faulty;
    const CreateStagedFile create = [&staged](const std::string& name) { return staged.NewFile(name); };
    // The list must name the program that is started: a payload without it is damaged.
    if (sums.count(kCarriedSetup) == 0 ||
        !UnpackCheckedCabinet(cabinet.data, cabinet.size, sums, create, faulty))
        return ReportRefusal(Texts::DamagedPayloadFrench, Texts::DamagedPayloadJapanese,
                             faulty.empty() ? OwnName() : faulty, options,
                             "the carried payload is damaged");
    // Started by its absolute path in the staged folder, which is also its current folder:
    // there it finds the INF file and the rest of the package, as beside it in the zip.
    DWORD exitCode = 1;
    if (!RunChildSetup(staged.File(kCarriedSetup), commandLine, staged.Path().c_str(), exitCode))
        return ReportRefusal(Texts::NativeSetupMissingFrench, Texts::NativeSetupMissingJapanese,
                             OwnName(), options);
    return static_cast<int>(exitCode);
}

}  // namespace

int RunCarriedSetup(const char* commandLine) {
    ChooseProductDisplayName();
    FillSystemFolders();
    const RunOptions options = ReadRunOptions(commandLine);
    return RunReportingErrors(options, [&] { return RunFromStagedFolder(commandLine, options); });
}
