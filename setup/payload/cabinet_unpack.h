// A cabinet carried in memory, unpacked through the system's own cabinet.dll into a staged
// folder, each file checked against the SHA-256 that the build recorded for it.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>

// Creates a new file of that name in the staged folder, with the folder's access list, and
// counts it for the folder's removal (StagedFolder::NewFile); INVALID_HANDLE_VALUE when
// it cannot.
using CreateStagedFile = std::function<HANDLE(const std::string& name)>;

// File name -> lower-case hexadecimal SHA-256, read from lines "<digest>  <name>" as
// sha256sum writes them. Empty when any line is malformed or a name comes twice.
using PayloadSums = std::map<std::string, std::string>;
PayloadSums ReadPayloadSums(const std::string& text);

// Unpacks every file of the cabinet into the staged folder through `create`. True when each one is a plain
// name of the recorded list, matches its digest, and every recorded file came out. False
// otherwise, with the first file at fault in faultyFile; faultyFile stays empty when the
// cabinet as a whole cannot be read, or cabinet.dll is missing.
bool UnpackCheckedCabinet(const void* cabinet, size_t size, const PayloadSums& sums,
                          const CreateStagedFile& create, std::string& faultyFile);
