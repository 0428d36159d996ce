#include "image_digest.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "sha256.h"
#include "shipped_table.h"

namespace {

uint32_t Read32(const std::vector<unsigned char>& bytes, size_t at) {
    return uint32_t(bytes[at]) | (uint32_t(bytes[at + 1]) << 8) | (uint32_t(bytes[at + 2]) << 16) |
           (uint32_t(bytes[at + 3]) << 24);
}

}  // namespace

bool ImageDigestWithoutTable(const std::vector<unsigned char>& bytes,
                             std::array<unsigned char, 32>& digest) {
    if (bytes.size() < 0x40 || bytes[0] != 'M' || bytes[1] != 'Z') return false;
    const size_t pe = Read32(bytes, 0x3C);
    if (pe > bytes.size() || bytes.size() - pe < 24 + 2 || Read32(bytes, pe) != 0x00004550) return false;
    const size_t optional = pe + 24;
    const unsigned magic = bytes[optional] | (bytes[optional + 1] << 8);
    const size_t directories = optional + (magic == 0x20b ? 112 : magic == 0x10b ? 96 : 0);
    if (directories == optional || bytes.size() < directories + 5 * 8) return false;
    const size_t checksum = optional + 64;
    const size_t security = directories + 4 * 8;
    size_t end = bytes.size();
    const uint32_t certificates = Read32(bytes, security), certificatesSize = Read32(bytes, security + 4);
    if (certificatesSize != 0) {
        if (certificates > bytes.size() || bytes.size() - certificates < certificatesSize) return false;
        end = certificates;
    }

    const char* marker = vmxShippedTable.begin;
    const size_t markerSize = sizeof vmxShippedTable.begin;
    auto first = std::search(bytes.begin(), bytes.begin() + end, marker, marker + markerSize);
    if (first == bytes.begin() + end) return false;
    if (std::search(first + 1, bytes.begin() + end, marker, marker + markerSize) != bytes.begin() + end)
        return false;
    const size_t table = static_cast<size_t>(first - bytes.begin());
    if (end - table < sizeof(ShippedTable)) return false;

    // The parts left out, in file order; none of them overlaps another in a real image.
    std::pair<size_t, size_t> skipped[] = {
        {checksum, 4}, {security, 8}, {table, sizeof(ShippedTable)}};
    std::sort(std::begin(skipped), std::end(skipped));
    Sha256 hash;
    size_t at = 0;
    for (const auto& [from, size] : skipped) {
        if (from < at) return false;
        hash.Add(bytes.data() + at, from - at);
        at = from + size;
    }
    if (at > end) return false;
    hash.Add(bytes.data() + at, end - at);
    digest = hash.Finish();
    return true;
}

bool MatchesShipped(const std::vector<unsigned char>& bytes, const ShippedFile& shipped) {
    std::array<unsigned char, 32> digest;
    if (shipped.withoutTable) {
        if (!ImageDigestWithoutTable(bytes, digest)) return false;
    } else {
        Sha256 hash;
        hash.Add(bytes.data(), bytes.size());
        digest = hash.Finish();
    }
    return digest == shipped.sha256;
}
