// Any bytes as a settings file. Whatever they hold: the file reader and the
// reader of text in memory agree head for head; the table holds at most
// 1000 heads; no name keeps a double quote or a line end; and giving each
// head to a channel writes exactly its name (cut to 15 bytes at a character
// boundary) and its coefficients, bit for bit, and nothing else, after which
// the settings pages show the block.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "data/measurement_record.h"
#include "fuzz_check.h"
#include "settings/channel_upload.h"
#include "settings/setting_page.h"
#include "settings/settings_file.h"

namespace {

using namespace varnelo;

constexpr std::size_t NAME_FIELD = 68;  // + 16 * channel
constexpr std::size_t CHECKED_HEADS = 32;  // at each end of the table

bool SameHeads(const SensorTable& a, const SensorTable& b) {
    if (a.heads.size() != b.heads.size() || a.ignoredLines != b.ignoredLines) return false;
    for (std::size_t i = 0; i < a.heads.size(); ++i) {
        if (a.heads[i].name != b.heads[i].name ||
            std::memcmp(a.heads[i].coefficients.data(), b.heads[i].coefficients.data(), sizeof(SensorCoefficientSet)))
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const int file = ::memfd_create("varnelo-fuzz-settings", 0);
    static const std::string path = "/proc/self/fd/" + std::to_string(file);
    FUZZ_EXPECT(file >= 0 && ::ftruncate(file, 0) == 0);
    FUZZ_EXPECT(size == 0 || ::pwrite(file, data, size, 0) == static_cast<ssize_t>(size));

    const SensorTable table = ParseSensorTable(std::string_view(reinterpret_cast<const char*>(data), size));
    std::string error;
    const std::optional<SensorTable> loaded = LoadSettingsFile(path, error);
    FUZZ_EXPECT(loaded && SameHeads(*loaded, table));
    FUZZ_EXPECT(table.heads.size() <= SENSOR_TABLE_CAPACITY);
    FUZZ_EXPECT(table.ignoredLines == 0 || table.heads.size() == SENSOR_TABLE_CAPACITY);

    static DeviceInfoBlock block{};
    static const ParameterBlock parameters{};
    // The first and the last heads: a full table is checked in both places
    // without spending the run on the thousand between them.
    for (std::size_t i = 0; i < table.heads.size(); ++i) {
        if (i >= CHECKED_HEADS && i + CHECKED_HEADS < table.heads.size()) continue;
        const SensorHead& head = table.heads[i];
        FUZZ_EXPECT(head.name.find_first_of("\"\n") == std::string::npos);
        FUZZ_EXPECT(FindSensor(table, head.name).value_or(i + 1) <= i);

        const int channel = static_cast<int>(i % 2);
        const DeviceInfoBlock before = block;
        FUZZ_EXPECT(AssignSensorToChannel(block, table, static_cast<std::ptrdiff_t>(i), channel));
        // The longest start of the name that fits 15 bytes without splitting a UTF-8 character.
        std::size_t cut = std::min<std::size_t>(head.name.size(), 15);
        while (cut > 0 && cut < head.name.size() && (static_cast<unsigned char>(head.name[cut]) & 0xC0) == 0x80) --cut;
        const std::size_t name = NAME_FIELD + 16 * static_cast<std::size_t>(channel);
        FUZZ_EXPECT(std::memcmp(block.bytes.data() + name, head.name.data(), cut) == 0 && block.bytes[name + cut] == 0);
        FUZZ_EXPECT(head.name.starts_with(SensorName(block, channel)));
        const SensorCoefficientSet coefficients = SensorCoefficients(block, channel);
        FUZZ_EXPECT(std::memcmp(coefficients.data(), head.coefficients.data(), sizeof coefficients) == 0);
        const std::size_t coef = 104 + 48 * static_cast<std::size_t>(channel);
        for (std::size_t b = 0; b < block.bytes.size(); ++b) {
            const bool written = (b >= name && b <= name + cut) || (b >= coef && b < coef + 48);
            FUZZ_EXPECT(written || block.bytes[b] == before.bytes[b]);
        }
    }
    FUZZ_EXPECT(SettingPageLines(SettingPage::Hardware, block, parameters).size() == 7);
    return 0;
}
