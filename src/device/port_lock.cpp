#include "device/port_lock.h"

#include <cstdint>
#include <cstring>

namespace varnelo {

namespace {

// A process id as the text of a whole line: digits with surrounding blanks.
std::optional<long> LineNumber(std::string_view line) {
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) line.remove_suffix(1);
    if (line.empty() || line.size() > 10) return std::nullopt;
    long value = 0;
    for (const char c : line) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value > 0 ? std::optional<long>(value) : std::nullopt;
}

}  // namespace

const std::vector<std::string>& LockFolders() {
    static const std::vector<std::string> folders = {
        "/var/lock", "/etc/locks", "/var/spool/locks", "/var/spool/uucp", "/tmp", "/var/tmp", "/var/lock/lockdev",
        "/run/lock",
    };
    return folders;
}

std::string LockFileName(std::string_view devicePath) {
    constexpr std::string_view DEV = "/dev/";
    if (devicePath.substr(0, DEV.size()) == DEV) devicePath.remove_prefix(DEV.size());
    std::string name = "LCK..";
    for (const char c : devicePath) name += c == '/' ? '_' : c;
    return name;
}

std::optional<LockHolder> ReadLockHolder(std::string_view content) {
    const std::size_t end = content.find('\n');
    if (const auto pid = LineNumber(content.substr(0, end))) {
        LockHolder holder{*pid, {}, {}};
        // Qt's lock goes on with the program's name and the host's.
        if (end != std::string_view::npos) {
            std::string_view rest = content.substr(end + 1);
            const std::size_t app = rest.find('\n');
            holder.program = std::string(rest.substr(0, app));
            if (app != std::string_view::npos) {
                rest.remove_prefix(app + 1);
                holder.host = std::string(rest.substr(0, rest.find('\n')));
            }
        }
        return holder;
    }
    if (content.size() == sizeof(std::int32_t)) {
        std::int32_t pid = 0;
        std::memcpy(&pid, content.data(), sizeof pid);
        if (pid > 0) return LockHolder{pid, {}, {}};
    }
    return std::nullopt;
}

bool ProcessStatSaysEnded(std::string_view stat) {
    // "pid (name) S ...": the name may hold anything, ")" included.
    const std::size_t close = stat.rfind(')');
    if (close == std::string_view::npos || close + 2 >= stat.size()) return false;
    const char state = stat[close + 2];
    return state == 'Z' || state == 'X';
}

bool LockIsStale(std::string_view content, std::string_view thisHost, std::chrono::seconds age,
                 const std::function<bool(long)>& processGone) {
    const auto holder = ReadLockHolder(content);
    if (!holder) return age > UNREADABLE_LOCK_AGE;
    if (!holder->host.empty() && holder->host != thisHost) return age > UNJUDGED_LOCK_AGE;
    return processGone(holder->pid);
}

}  // namespace varnelo
