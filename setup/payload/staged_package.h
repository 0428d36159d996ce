// The one entry of the elevated flows into the payload: stage what was shipped from a
// folder, checked by hash and, in a release, by signature, before anything is shown,
// installed or started.
#pragma once

#include <memory>
#include <string>

#include "shipped_files.h"
#include "staged_folder.h"

// Every elevated run of the NT family stages (an elevated split token, SYSTEM, the built-in
// Administrator, UAC switched off: RunsElevated()). The Windows 95 family and an
// unelevated run use the unpacked folder as they always did.
bool StagesPayload();

struct StagingOutcome {
    std::unique_ptr<StagedFolder> folder;  // null when refused
    std::string refused;                   // the file that was not what was shipped
};

// Copies the shipped files that the source folder holds and checks them; refuses the whole
// package at the first file that does not match, cannot be read without following a link,
// or (in a release) is not signed by the publisher. Raises EFCreateError when the staged
// folder or a copy cannot be made.
StagingOutcome StagePackage(const std::wstring& sourceFolder, const ShippedPackage& shipped);
