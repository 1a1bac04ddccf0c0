#include "io/temporary_name.h"

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <string_view>

#include "io/open_file.h"
#include "io/process.h"

namespace varnelo {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t HEX_DIGITS = 16;
constexpr std::size_t MAX_PID_DIGITS = 10;

std::string Prefix(const fs::path& target) {
    std::string prefix(1, '.');
    prefix += PathText(target.filename());
    prefix += '.';
    return prefix;
}

bool Digit(char c) { return c >= '0' && c <= '9'; }
bool LowerHex(char c) { return Digit(c) || (c >= 'a' && c <= 'f'); }

// The process number in `rest` (what follows the prefix), or -1 when it is
// not "<pid>.<16 hex digits>~" exactly.
long OwnerOf(std::string_view rest) {
    const std::size_t dot = rest.find('.');
    if (dot == std::string_view::npos || dot == 0 || dot > MAX_PID_DIGITS || rest[0] == '0') return -1;
    long pid = 0;
    for (const char c : rest.substr(0, dot)) {
        if (!Digit(c)) return -1;
        pid = pid * 10 + (c - '0');
    }
    const std::string_view tail = rest.substr(dot + 1);
    if (tail.size() != HEX_DIGITS + 1 || tail.back() != '~') return -1;
    for (const char c : tail.substr(0, HEX_DIGITS)) {
        if (!LowerHex(c)) return -1;
    }
    return pid;
}

}  // namespace

fs::path TemporarySibling(const fs::path& target) {
    std::random_device seed;
    std::mt19937_64 generator((static_cast<std::uint64_t>(seed()) << 32) ^ seed());
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, "%ld.%016llx~", CurrentProcessId(),
                  static_cast<unsigned long long>(generator()));
    fs::path name(".");
    name += target.filename().native();  // byte for byte, whatever its encoding
    name += std::string(".") + suffix;
    return target.parent_path() / name;
}

int RemoveStaleTemporaries(const fs::path& target) {
    const std::string prefix = Prefix(target);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const long self = CurrentProcessId();
    std::error_code code;
    int removed = 0;
    for (fs::directory_iterator entry(folder, code), end; !code && entry != end; entry.increment(code)) {
        const std::string name = PathText(entry->path().filename());
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
        const long pid = OwnerOf(std::string_view(name).substr(prefix.size()));
        if (pid < 0 || pid == self || ProcessExists(pid)) continue;
        std::error_code ignored;
        if (!entry->is_regular_file(ignored) || entry->is_symlink(ignored)) continue;
        removed += fs::remove(entry->path(), ignored) ? 1 : 0;
    }
    return removed;
}

}  // namespace varnelo
