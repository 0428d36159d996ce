#include "staged_package.h"

#include "elevation.h"
#include "environment.h"
#include "signature_check.h"

bool StagesPayload() {
    return IsWindowsNT() && RunsElevated();
}

StagingOutcome StagePackage(const std::wstring& sourceFolder, const ShippedPackage& shipped) {
    StagingOutcome outcome;
    auto folder = std::make_unique<StagedFolder>();
    outcome.refused = CopyShippedFiles(*folder, sourceFolder, shipped);
    if (outcome.refused.empty())
        outcome.refused = FirstNotSignedByPublisher(folder->Path(), folder->Files(), shipped);
    if (outcome.refused.empty()) outcome.folder = std::move(folder);
    return outcome;
}
