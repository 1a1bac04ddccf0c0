// Any bytes as a --srf response table. Whatever they hold: the file reader
// takes them (or refuses them for a line past its bound) exactly as they
// are; the table is read or refused in one line without a control
// character, short whatever the table's cells; a table that reads has
// bands, each with a response of finite non-negative values on the grid.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

#include "analysis/satellite_bands.h"
#include "fuzz_check.h"
#include "io/table_file.h"

namespace {

using namespace varnelo;

constexpr std::size_t NAME = 40;               // the table's name in messages
constexpr std::size_t MESSAGE_MAX = NAME + 300;  // the reason and two quoted values

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const int file = ::memfd_create("varnelo-fuzz-srf", 0);
    static const std::string path = "/proc/self/fd/" + std::to_string(file);
    FUZZ_EXPECT(file >= 0 && ::ftruncate(file, 0) == 0);
    FUZZ_EXPECT(size == 0 || ::pwrite(file, data, size, 0) == static_cast<ssize_t>(size));
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    std::string text;
    const Status read = ReadTableFile(path, text, TABLE_LINE_MAX);
    std::size_t longest = 0;
    for (std::size_t start = 0; start <= bytes.size();) {
        const std::size_t end = std::min(bytes.find('\n', start), bytes.size());
        longest = std::max(longest, end - start);
        start = end + 1;
    }
    FUZZ_EXPECT(read.ok() == (longest <= TABLE_LINE_MAX));
    FUZZ_EXPECT(!read.ok() || text == bytes);

    std::string error;
    const std::optional<BandSet> set = ParseResponseTable(bytes, std::string(NAME, 't'), error);
    if (!set) {
        FUZZ_EXPECT(!error.empty() && error.size() <= MESSAGE_MAX);
        FUZZ_EXPECT(std::none_of(error.begin(), error.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
        }));
        return 0;
    }
    FUZZ_EXPECT(!set->bands.empty() && set->bands.size() < RESPONSE_COLUMNS_MAX);
    for (const SpectralBand& band : set->bands) {
        FUZZ_EXPECT(std::all_of(band.response.begin(), band.response.end(),
                                [](double s) { return s >= 0.0 && !std::isnan(s); }));
        FUZZ_EXPECT(!(band.coverage > 1.0 + 1e-9) && !(band.coverage < 0.0));
    }
    return 0;
}
