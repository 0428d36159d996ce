// The log that an administrator asks for with /log: UTF-8 text, one line per step that
// matters, each with its local time. The program's own texts are code page bytes; they
// are converted for this file only.
#pragma once

#include <windows.h>

#include <string>

class SetupLog {
public:
    SetupLog() = default;
    ~SetupLog();
    SetupLog(const SetupLog&) = delete;
    SetupLog& operator=(const SetupLog&) = delete;

    // Creates the file anew. False when it cannot be written.
    bool Open(const std::string& path);
    bool IsOpen() const { return file_ != INVALID_HANDLE_VALUE; }
    // Writes the time, the text (UTF-8) and CR LF; nothing when no file is open.
    void Line(const std::string& utf8);

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
};

// Adds one line to the end of a log file that another run may have written, creating it if
// need be; silently nothing when the file is held or cannot be written.
void AppendLogLine(const std::string& path, const std::string& utf8);

// Bytes of a code page as UTF-8, on one line: every run of CR and LF becomes " / ". A byte
// that the system cannot convert becomes "?".
std::string Utf8OneLine(const std::string& bytes, UINT codePage);

// The code page of the program's texts: 932 on a Japanese system, 1252 elsewhere.
UINT TextCodePage();
