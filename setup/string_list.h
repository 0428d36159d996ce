// TStringList: the lines of a text file, in order, indexed from 0.
#pragma once

#include <string>
#include <vector>

class TStringList {
public:
    int LineCount() const { return static_cast<int>(lines_.size()); }
    // Raise EListError "List index out of bounds" outside 0 <= i < count (0 <= i <= count
    // for InsertLine).
    std::string LineAt(int i) const;
    void InsertLine(int i, const std::string& text);
    void DeleteLine(int i);

    // Replaces the contents by the lines of the file. A line ends at CR, LF or CR LF; a NUL
    // byte ends the text. Raises EFOpenError when the file cannot be opened without sharing.
    void LoadLines(const std::string& path);
    // Writes every line followed by CR LF. The new contents go into a new file beside the old
    // one, which then takes the old one's place in one step, so a failed write never leaves
    // the old file shortened. Raises EFCreateError when the file may not be replaced,
    // EWriteError on a short write; the old file then stays as it was.
    void SaveLines(const std::string& path) const;

    // Splits bytes into lines as LoadLines does.
    static std::vector<std::string> SplitLines(const std::string& bytes);

private:
    std::vector<std::string> lines_;
};
