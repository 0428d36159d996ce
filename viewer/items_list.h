// The list view of the items window: a virtual list (LVS_OWNERDATA) whose rows the item
// table answers, so that thousands of items cost nothing until they are drawn. Sorting
// reorders the table and keeps the chosen items chosen wherever they move.
#pragma once

#include <windows.h>
// After windows.h, whose types it uses.
#include <commctrl.h>

#include <map>
#include <string>
#include <vector>

#include "item_table.h"
#include "viewer_texts.h"

// The list with its columns laid out for dpi and a row for each of `count` items.
HWND CreateItemsList(HWND parent, int id, const ViewerTexts& texts, int count, UINT dpi);

// Column widths follow a change of dpi, keeping what the user made of them.
void ScaleColumns(HWND list, UINT fromDpi, UINT toDpi);

// Icons by the extension of a name, for items not looked up yet: one question to the shell
// for a whole folder of photos.
using IconsByExtension = std::map<std::wstring, int>;

// A row's texts and icon. Only rows being drawn are asked for, so an item's own icon,
// which may mean reading the file, is looked up once it shows, and kept.
void AnswerDisplayInfo(ItemTable& table, IconsByExtension& byName, NMLVDISPINFOW& request);

// The row for the list's incremental search by name, or -1.
int FindRow(ItemTable& table, const NMLVFINDITEMW& request);

// Sorts the rows and marks the column in the header; chosen items and the focus stay on
// the items they were on. showFocus: the focused item is scrolled into view, as after a
// click on a column; a sort the user did not ask for leaves the view where it is.
void SortRows(HWND list, ItemTable& table, int column, bool descending, bool showFocus);

std::vector<const ItemInfo*> ChosenItems(HWND list, ItemTable& table);
