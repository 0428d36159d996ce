#include "shipped_files.h"

#include <windows.h>

#include <cstring>

#include "shipped_table.h"

bool ShippedPackage::Signed() const {
    for (unsigned char byte : publisherKey)
        if (byte != 0) return true;
    return false;
}

const ShippedFile* ShippedPackage::Find(const std::string& name) const {
    for (const ShippedFile& file : files)
        if (lstrcmpiA(file.name.c_str(), name.c_str()) == 0) return &file;
    return nullptr;
}

ShippedPackage BuiltInShippedPackage() {
    // Read through a volatile pointer: the table's bytes are changed after linking.
    const volatile ShippedTable* table = &vmxShippedTable;
    ShippedPackage package;
    const uint32_t count = table->count;
    const uint32_t capacity = sizeof table->entries / sizeof table->entries[0];
    // A damaged table is no table: nothing is shipped.
    if (count > capacity) return package;
    for (size_t i = 0; i < package.publisherKey.size(); ++i)
        package.publisherKey[i] = table->publisherKey[i];
    for (uint32_t i = 0; i < count; ++i) {
        const volatile ShippedTableEntry& entry = table->entries[i];
        ShippedFile file;
        for (size_t c = 0; c < sizeof entry.name && entry.name[c] != '\0'; ++c)
            file.name.push_back(entry.name[c]);
        file.withoutTable = (entry.flags & kWithoutTable) != 0;
        for (size_t b = 0; b < file.sha256.size(); ++b) file.sha256[b] = entry.sha256[b];
        if (file.name.empty() || file.name.size() >= sizeof entry.name) return ShippedPackage();
        package.files.push_back(file);
    }
    return package;
}
