#include "cabinet_unpack.h"

#include <windows.h>
#include <fdi.h>
#include <fcntl.h>

#include <array>
#include <cstring>
#include <memory>
#include <set>

#include "sha256.h"
#include "system_library.h"

namespace {

// FDI's callbacks carry no context of their own but the notification's pvUser: the
// cabinet's bytes and the run's state are reached through this one pointer while
// FDICopy runs (the setup program has one thread).
struct Unpacking;
Unpacking* current = nullptr;

// One open "file" of FDI: the cabinet in memory, or a staged file being written.
struct Stream {
    bool inMemory = false;
    size_t position = 0;
    HANDLE file = INVALID_HANDLE_VALUE;
    std::string name;
    Sha256 hash;
};

struct Unpacking {
    const BYTE* cabinet;
    size_t size;
    const PayloadSums* sums;
    const CreateStagedFile* create;
    std::set<std::string> unpacked;
    std::string faultyFile;
    // Streams that FDI has not closed: an aborted copy may leave some open.
    std::set<Stream*> open;
};

// The cabinet's name as FDI hands it back to the open callback: no file has it.
char kCabinetName[] = "|payload|";
char kNoFolder[] = "";

bool PlainName(const std::string& name) {
    return !name.empty() && name.find_first_of("\\/:") == std::string::npos && name != "." &&
           name != "..";
}

std::string Hex(const std::array<unsigned char, 32>& digest) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char b : digest) {
        hex += kDigits[b >> 4];
        hex += kDigits[b & 15];
    }
    return hex;
}

void* DIAMONDAPI Allocate(ULONG size) {
    return HeapAlloc(GetProcessHeap(), 0, size);
}
void DIAMONDAPI Free(void* block) {
    HeapFree(GetProcessHeap(), 0, block);
}

INT_PTR DIAMONDAPI Open(char* name, int, int) {
    // FDI opens nothing but the cabinet itself; output files come from the notification.
    if (!current || std::strcmp(name, kCabinetName) != 0) return -1;
    auto* stream = new (std::nothrow) Stream;
    if (!stream) return -1;
    stream->inMemory = true;
    current->open.insert(stream);
    return reinterpret_cast<INT_PTR>(stream);
}

UINT DIAMONDAPI Read(INT_PTR handle, void* buffer, UINT count) {
    auto* stream = reinterpret_cast<Stream*>(handle);
    if (!stream->inMemory) return static_cast<UINT>(-1);
    const size_t left = current->size - stream->position;
    const size_t taken = count < left ? count : left;
    std::memcpy(buffer, current->cabinet + stream->position, taken);
    stream->position += taken;
    return static_cast<UINT>(taken);
}

UINT DIAMONDAPI Write(INT_PTR handle, void* buffer, UINT count) {
    auto* stream = reinterpret_cast<Stream*>(handle);
    DWORD written = 0;
    if (stream->inMemory || !WriteFile(stream->file, buffer, count, &written, nullptr) ||
        written != count)
        return static_cast<UINT>(-1);
    // The digest covers exactly the bytes that reach the staged file.
    stream->hash.Add(buffer, count);
    return count;
}

int DIAMONDAPI Close(INT_PTR handle) {
    auto* stream = reinterpret_cast<Stream*>(handle);
    if (stream->file != INVALID_HANDLE_VALUE) CloseHandle(stream->file);
    if (current) current->open.erase(stream);
    delete stream;
    return 0;
}

long DIAMONDAPI Seek(INT_PTR handle, long distance, int origin) {
    auto* stream = reinterpret_cast<Stream*>(handle);
    if (!stream->inMemory) return -1;
    long long base = origin == SEEK_SET ? 0
                     : origin == SEEK_CUR ? static_cast<long long>(stream->position)
                                          : static_cast<long long>(current->size);
    const long long target = base + distance;
    if (target < 0 || target > static_cast<long long>(current->size)) return -1;
    stream->position = static_cast<size_t>(target);
    return static_cast<long>(target);
}

INT_PTR DIAMONDAPI Notify(FDINOTIFICATIONTYPE type, PFDINOTIFICATION info) {
    Unpacking& run = *current;
    switch (type) {
        case fdintCOPY_FILE: {
            const std::string name = info->psz1 ? info->psz1 : "";
            // Only a file that the build recorded, once, and under a plain name: a cabinet
            // cannot write outside the staged folder or add a file that nobody checks.
            if (!PlainName(name) || !run.sums->count(name) || run.unpacked.count(name)) {
                run.faultyFile = name.empty() ? "?" : name;
                return -1;
            }
            auto* stream = new (std::nothrow) Stream;
            if (!stream) return -1;
            stream->name = name;
            stream->file = (*run.create)(name);
            if (stream->file == INVALID_HANDLE_VALUE) {
                delete stream;
                run.faultyFile = name;
                return -1;
            }
            run.open.insert(stream);
            return reinterpret_cast<INT_PTR>(stream);
        }
        case fdintCLOSE_FILE_INFO: {
            auto* stream = reinterpret_cast<Stream*>(info->hf);
            const bool matches = Hex(stream->hash.Finish()) == run.sums->at(stream->name);
            if (matches) run.unpacked.insert(stream->name);
            else run.faultyFile = stream->name;
            Close(info->hf);
            return matches ? TRUE : -1;
        }
        case fdintPARTIAL_FILE:
        case fdintNEXT_CABINET:
            // One cabinet holds the whole payload: a file split across cabinets is damage.
            return -1;
        default:
            return 0;
    }
}

bool IsHexDigest(const std::string& text) {
    return text.size() == 64 && text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

}  // namespace

PayloadSums ReadPayloadSums(const std::string& text) {
    PayloadSums sums;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line.empty()) continue;
        const std::string digest = line.substr(0, 64);
        const std::string name = line.size() > 66 ? line.substr(66) : std::string();
        if (!IsHexDigest(digest) || line.compare(64, 2, "  ") != 0 || !PlainName(name) ||
            !sums.emplace(name, digest).second)
            return PayloadSums();
    }
    return sums;
}

bool UnpackCheckedCabinet(const void* cabinet, size_t size, const PayloadSums& sums,
                          const CreateStagedFile& create, std::string& faultyFile) {
    faultyFile.clear();
    if (sums.empty() || !cabinet || size == 0) return false;
    // By full path from the system folder: a cabinet.dll beside the setup file (in
    // Downloads, say) must never be the one loaded.
    SystemLibrary library("cabinet.dll");
    auto fdiCreate = library.Function<decltype(&FDICreate)>("FDICreate");
    auto copy = library.Function<decltype(&FDICopy)>("FDICopy");
    auto destroy = library.Function<decltype(&FDIDestroy)>("FDIDestroy");
    if (!fdiCreate || !copy || !destroy) return false;

    Unpacking run{static_cast<const BYTE*>(cabinet), size, &sums, &create, {}, {}, {}};
    current = &run;
    ERF error = {};
    HFDI context = fdiCreate(Allocate, Free, Open, Read, Write, Close, Seek, cpuUNKNOWN, &error);
    bool copied = false;
    if (context) {
        copied = copy(context, kCabinetName, kNoFolder, 0, Notify, nullptr, nullptr) != FALSE;
        destroy(context);
    }
    while (!run.open.empty()) Close(reinterpret_cast<INT_PTR>(*run.open.begin()));
    current = nullptr;
    faultyFile = run.faultyFile;
    if (!copied) return false;
    for (const auto& [name, digest] : sums) {
        if (!run.unpacked.count(name)) {
            faultyFile = name;
            return false;
        }
    }
    return true;
}
