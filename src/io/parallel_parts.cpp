#include "io/parallel_parts.h"

#include <algorithm>
#include <system_error>
#include <thread>
#include <vector>

namespace varnelo {

std::size_t PartCount(std::size_t count, std::size_t minimum) {
    const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
    return std::clamp<std::size_t>(count / std::max<std::size_t>(minimum, 1), 1, cores);
}

void ForEachPart(std::size_t count, std::size_t minimum,
                 const std::function<void(std::size_t begin, std::size_t end)>& body) {
    const std::size_t parts = PartCount(count, minimum);
    const auto bound = [&](std::size_t part) { return count * part / parts; };
    std::vector<std::thread> helpers;
    helpers.reserve(parts - 1);
    for (std::size_t part = 1; part < parts; ++part) {
        try {
            helpers.emplace_back(body, bound(part), bound(part + 1));
        } catch (const std::system_error&) {
            body(bound(part), bound(part + 1));
        }
    }
    body(0, bound(1));
    for (std::thread& helper : helpers) helper.join();
}

}  // namespace varnelo
