// A cabinet carried in memory, unpacked through the system's own cabinet.dll into a staged
// folder, each file checked against the SHA-256 that the build recorded for it.
#pragma once

#include <map>
#include <string>

class StagedPayload;

// File name -> lower-case hexadecimal SHA-256, read from lines "<digest>  <name>" as
// sha256sum writes them. Empty when any line is malformed or a name comes twice.
using PayloadSums = std::map<std::string, std::string>;
PayloadSums ReadPayloadSums(const std::string& text);

// Unpacks every file of the cabinet into the staged folder. True when each one is a plain
// name of the recorded list, matches its digest, and every recorded file came out. False
// otherwise, with the first file at fault in faultyFile; faultyFile stays empty when the
// cabinet as a whole cannot be read, or cabinet.dll is missing.
bool UnpackCheckedCabinet(const void* cabinet, size_t size, const PayloadSums& sums,
                          StagedPayload& staged, std::string& faultyFile);
