// What the windows show, as text: the rows and status line of the item list, the lines of
// the disk information, and the window titles. Kept apart from the windows so that it can
// be checked without a display. Whatever holds a name is UTF-16; the status and disk
// lines are the texts' bytes, which the windows read in the texts' code page.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "disk_info.h"
#include "file_info.h"
#include "viewer_texts.h"

enum ItemColumn { kColumnName, kColumnFolder, kColumnSize, kColumnModified, kColumnCount };

struct ItemRow {
    std::wstring cells[kColumnCount];
};

ItemRow RowFor(const ItemInfo& item, const ViewerTexts& texts, bool yearFirst);

struct StatusTexts {
    std::string count;      // "3 éléments"
    std::string breakdown;  // "Fichiers : 2   Dossiers : 1" (and the missing ones, if any)
    std::string total;      // "Taille totale : 1,48 Mo (1 552 384 octets)"
};

StatusTexts StatusFor(const ItemTotals& totals, const ViewerTexts& texts);

// Orders two items by one column for sorting: negative, zero or positive. Folders come
// before files by size, missing items before both; ties go by name, then by path.
int CompareItems(const ItemInfo& a, const ItemInfo& b, ItemColumn column);

// shownPath: the named item's path in its long form.
std::wstring ItemsWindowTitle(const std::wstring& shownPath, int itemCount, bool fromList,
                              const ViewerTexts& texts);
std::wstring DiskWindowTitle(const DiskInfo& info, const ViewerTexts& texts);

// Label and value lines for the disk window.
std::vector<std::pair<std::string, std::string>> DiskLines(const DiskInfo& info,
                                                           const ViewerTexts& texts);

// The paths of the chosen items in their long form, one per line, for the clipboard.
std::wstring PathsForClipboard(const std::vector<const ItemInfo*>& chosen);
