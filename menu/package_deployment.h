// Registering and removing the menu command's sparse package through the system's package
// manager. Everything is looked up at run time, so a program linking this still starts
// where the package manager does not exist (Windows 7, Wine): the calls then answer with
// a failure. Each call does its work on a thread of its own in the multithreaded
// apartment and waits there, whatever apartment the caller is in. Nothing throws.
#pragma once

#include <windows.h>

// Registers the package file `msix` for the calling user, with `externalFolder` (a folder
// path) as its external location, replacing any registered version and ending the COM
// surrogate that holds it. Every package of the same name registered for the caller goes
// first, whatever its publisher. S_OK once registered.
HRESULT RegisterSparsePackage(const wchar_t* msix, const wchar_t* externalFolder);

// Removes every package of the menu package's name, whatever its publisher: for every user
// where the caller may (an administrator), else for the calling user. S_OK once removed,
// S_FALSE when no such package was registered; the first failure otherwise.
HRESULT RemoveMenuPackage(bool allUsers);
