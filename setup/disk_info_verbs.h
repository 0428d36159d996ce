// Writing the "Infos disque" verb on drives and directories, and removing the folder verb
// that no part of the product writes any more. Removing the drive and directory verbs is
// RemoveDiskInfoVerbs (registration_removal.h).
#pragma once

#include <string>

// The viewer by its full path, quoted so that no other program can stand in for it on a
// path with spaces, then the chosen drive or directory and the switch:
// "<SystemDir>\Shellext\vmxtool.exe" "%1" /dinfo
std::string DiskInfoCommand();

// Writes label and command of the verb for Drive, then for Directory, under
// HKEY_CLASSES_ROOT. A value that cannot be written raises ERegistryException; what was
// written before it stays.
void WriteDiskInfoVerbs();

// Removes "folder\shell\DiskInfoByVmax" with its subtree.
void RemoveFolderVerb();
