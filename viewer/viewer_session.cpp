#include "viewer_session.h"

#include "command_line.h"
#include "item_rows.h"
#include "list_file.h"
#include "start_trace.h"
#include "system_calls.h"
#include "wide_text.h"

namespace {

ViewerStart Ended(int exitCode) {
    ViewerStart start;
    start.exitCode = exitCode;
    return start;
}

bool SamePath(const std::string& a, const std::string& b) {
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(),
                          static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
}

std::string SystemErrorText(DWORD error) {
    char* buffer = nullptr;
    DWORD n = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = (n != 0 && buffer != nullptr) ? std::string(buffer, n) : std::string();
    if (buffer != nullptr) LocalFree(buffer);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) {
        text.pop_back();
    }
    return text.empty() ? std::to_string(error) : text;
}

}  // namespace

std::string ProblemMessage(const char* text, const std::string& path, DWORD error) {
    std::string message = text;
    message += path;
    message += "\r\n\r\n";
    message += SystemErrorText(error);
    return message;
}

void ShowViewerMessage(const std::string& text, const ViewerTexts& texts) {
    ViewerCalls.MessageBoxA(nullptr, text.c_str(), texts.ProductName,
                            MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

ViewerStart PrepareViewer(const char* arguments, const ViewerTexts& texts) {
    ViewerRequest request = ParseViewerArguments(SplitArguments(arguments));
    if (request.error != ArgumentError::None) {
        ShowViewerMessage(ArgumentErrorMessage(request, texts), texts);
        return Ended(kExitBadCommandLine);
    }

    ViewerStart start;
    if (request.mode == ViewerMode::DiskInfo) {
        TraceStart("dinfo", request.path);
        DWORD error = ERROR_SUCCESS;
        if (!QueryDiskInfo(request.path, start.disk, error)) {
            ShowViewerMessage(ProblemMessage(texts.DiskInfoError, request.path, error), texts);
            return Ended(kExitDiskUnreadable);
        }
        start.show = ViewerShow::Disk;
        start.title = DiskWindowTitle(start.disk, texts);
        return start;
    }

    std::vector<std::string> paths;
    bool fromList = false;
    if (request.mode == ViewerMode::List) {
        ListContents list;
        DWORD error = ERROR_SUCCESS;
        if (!ReadAndDisposeListFile(request.listFile, list, error)) {
            ShowViewerMessage(error == kListNotADiskFile
                                  ? texts.ListNotAFileError + request.listFile
                                  : ProblemMessage(texts.ListOpenError, request.listFile, error),
                              texts);
            return Ended(kExitListUnreadable);
        }
        TraceStart("count", std::to_string(list.declaredCount));
        TraceStartLines("item", list.paths);
        TraceStart(
            "deleted",
            GetFileAttributesA(request.listFile.c_str()) == INVALID_FILE_ATTRIBUTES ? "yes" : "no");
        paths = std::move(list.paths);
        fromList = !paths.empty();
    }
    // An empty list still leaves the path the command line named: the caller may not have
    // been able to write its list at all.
    if (paths.empty()) paths.push_back(request.path);

    // Nothing here asks the file system about the items, nor even takes their paths apart:
    // the window shows them at once, and looks them up once it answers its messages.
    start.show = ViewerShow::Items;
    start.fromList = fromList;
    start.paths = std::move(paths);
    for (size_t i = 0; i < start.paths.size(); ++i) {
        if (SamePath(start.paths[i], request.path)) {
            start.focusIndex = static_cast<int>(i);
            break;
        }
    }
    start.title = ItemsWindowTitle(WidePath(request.path), static_cast<int>(start.paths.size()),
                                   fromList, texts);
    return start;
}
