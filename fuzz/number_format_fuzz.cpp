// Every number format the program writes, against snprintf in the "C"
// locale, while the process itself runs under a German locale (decimal
// comma): fixed notation of floats and doubles at every width and
// precision, the export's value runs, integers, the labels' "%*d", the
// readouts, "%+15.8E", whole CSV rows and the settings pages of arbitrary
// records. The other way round, text to number: the GPS and settings
// parsing against strtod.
#include <fuzzer/FuzzedDataProvider.h>
#include <locale.h>

#include <bit>
#include <clocale>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "charts/track_chart.h"
#include "export/csv_export.h"
#include "fuzz_check.h"
#include "settings/setting_page.h"
#include "text/decimal_prefix.h"
#include "text/fixed_format.h"
#include "text/number_text.h"
#include "track/gps_track.h"

namespace {

using namespace varnelo;

locale_t CLocale() {
    static const locale_t c = ::newlocale(LC_ALL_MASK, "C", nullptr);
    return c;
}

// snprintf as the "C" locale has it. glibc writes a NaN with its sign bit as
// "-nan"; the program writes "nan" for every NaN, so the reference does too.
std::string Printf(const char* format, ...) {
    const locale_t previous = ::uselocale(CLocale());
    char text[1024];
    va_list arguments;
    va_start(arguments, format);
    const int n = std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    ::uselocale(previous);
    return std::string(text, static_cast<std::size_t>(n));
}

double NanUnsigned(double v) { return std::isnan(v) ? std::fabs(v) : v; }

double StrtodC(const std::string& text) {
    const locale_t previous = ::uselocale(CLocale());
    const double value = std::strtod(text.c_str(), nullptr);
    ::uselocale(previous);
    return value;
}

// strtod also reads hexadecimal, "inf" and "nan"; the program reads decimal only.
bool DecimalOnly(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    const std::string rest = text.substr(i, 2);
    return !(rest.size() == 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) &&
           !(i < text.size() && (text[i] == 'i' || text[i] == 'I' || text[i] == 'n' || text[i] == 'N'));
}

void CheckFixed(double d, float f, int decimals, int width) {
    char text[DOUBLE_FIXED_TEXT_MAX + FIXED_WIDTH_MAX];
    FUZZ_EXPECT_SAME_TEXT(std::string(text, FormatFixed(text, f, decimals, width)),
                          Printf("%*.*f", width, decimals, NanUnsigned(static_cast<double>(f))));
    FUZZ_EXPECT_SAME_TEXT(std::string(text, FormatFixed(text, d, decimals, width)),
                          Printf("%*.*f", width, decimals, NanUnsigned(d)));
    FUZZ_EXPECT_SAME_TEXT(FixedText(d, width, decimals), Printf("%*.*f", width, decimals, NanUnsigned(d)));
}

template <int Decimals>
void CheckRun(const std::vector<float>& values) {
    std::vector<char> text(values.size() * (FLOAT_FIXED_TEXT_MAX + 1) + 1);
    char* end = FormatFloatRun<Decimals>(text.data(), values, 3, ',');
    std::string expected;
    for (float v : values) expected += Printf("%3.*f,", Decimals, NanUnsigned(static_cast<double>(v)));
    FUZZ_EXPECT_SAME_TEXT(std::string(text.data(), end), expected);
}

void CheckRow(FuzzedDataProvider& input) {
    static const auto track = std::make_unique<GpsTrack>();
    MeasurementRecord record;
    const std::vector<std::uint8_t> bytes = input.ConsumeBytes<std::uint8_t>(BLOCK_SIZE);
    std::fill(record.bytes.begin(), record.bytes.end(), std::uint8_t{0});
    std::copy(bytes.begin(), bytes.end(), record.bytes.begin());
    track->latitude[0] = std::bit_cast<double>(input.ConsumeIntegral<std::uint64_t>());
    track->longitude[0] = std::bit_cast<double>(input.ConsumeIntegral<std::uint64_t>());
    track->altitude[0] = std::bit_cast<float>(input.ConsumeIntegral<std::uint32_t>());
    const CsvOptions options{input.ConsumeBool() ? ExportMode::Reflectance : ExportMode::TwoChannel,
                             input.ConsumeBool()};

    const auto wide = [](float v) { return NanUnsigned(static_cast<double>(v)); };
    std::string expected = Printf("%s,%9.7f,%9.7f,%3.1f,%3.2f,%3.1f,%3.1f,%3.1f,%d,%d,", RecordTimeLabel(record).c_str(),
                                  NanUnsigned(track->latitude[0]), NanUnsigned(track->longitude[0]),
                                  wide(track->altitude[0]), wide(record.batv()), wide(record.batc()),
                                  wide(record.temp_ch1()), wide(record.temp_ch2()), record.exp_ch1(), record.exp_ch2());
    const DerivedSpectra spectra = DeriveSpectra(record);
    const WavelengthWindow window = ExportWindow(options.limitRange);
    const auto append = [&](const Spectrum& values, const char* format) {
        for (int j = window.first; j <= window.last; ++j) expected += Printf(format, wide(values[static_cast<std::size_t>(j)]));
    };
    if (options.mode == ExportMode::TwoChannel) {
        append(spectra.ch1_scaled, "%3.1f,");
        append(spectra.ch2, "%3.1f,");
    } else {
        append(spectra.reflectance, "%3.3f,");
    }
    expected += "\r\n";
    CsvRowFormatter rows(options);
    FUZZ_EXPECT_SAME_TEXT(rows.Row(record, *track, 0), expected);

    // The settings pages of the same bytes as a parameter block, with a
    // device information block of the fuzzer's.
    DeviceInfoBlock info{};
    const std::vector<std::uint8_t> infoBytes = input.ConsumeBytes<std::uint8_t>(DEVICE_INFO_SIZE);
    std::copy(infoBytes.begin(), infoBytes.end(), info.bytes.begin());
    const std::vector<std::string> hardware = SettingPageLines(SettingPage::Hardware, info, record);
    FUZZ_EXPECT_SAME_TEXT(hardware[0], Printf("%s         , %s", SensorName(info, 0).c_str(), SensorName(info, 1).c_str()));
    for (std::size_t k = 0; k < 6; ++k) {
        FUZZ_EXPECT_SAME_TEXT(hardware[k + 1], Printf("%+15.8E , %+15.8E", SensorCoefficients(info, 0)[k],
                                                      SensorCoefficients(info, 1)[k]));
    }
    const std::vector<std::string> parameters = SettingPageLines(SettingPage::Parameters, info, record);
    FUZZ_EXPECT_SAME_TEXT(parameters[0], Printf("%5d,%5d", record.exp_ch1(), record.exp_ch2()));
    FUZZ_EXPECT_SAME_TEXT(parameters[1], Printf("%5.2f,%5.2f", wide(record.batc()), wide(record.batv())));
    // A stretch of the two long pages: every line has the same form.
    const std::vector<std::string> data = SettingPageLines(SettingPage::Data, info, record);
    const std::vector<std::string> difference = SettingPageLines(SettingPage::ChannelDifference, info, record);
    const std::size_t first = input.ConsumeIntegralInRange<std::size_t>(0, SPECTRUM_LENGTH - 32);
    for (std::size_t j = first; j < first + 32; ++j) {
        FUZZ_EXPECT_SAME_TEXT(data[j], Printf("%5.1f, %5.1f", wide(record.spectrum_ch1()[j]), wide(record.spectrum_ch2()[j])));
        FUZZ_EXPECT_SAME_TEXT(difference[j], Printf("%5.3f", wide(record.channel_diff()[j])));
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Where the German locale is missing the process stays in "C"; the
    // comparison holds either way.
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) std::setlocale(LC_ALL, "C");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const double d = std::bit_cast<double>(input.ConsumeIntegral<std::uint64_t>());
    const float f = std::bit_cast<float>(input.ConsumeIntegral<std::uint32_t>());
    const std::int32_t i = input.ConsumeIntegral<std::int32_t>();
    const int decimals = input.ConsumeIntegralInRange(0, FIXED_DECIMALS_MAX);
    const int width = input.ConsumeIntegralInRange(0, FIXED_WIDTH_MAX);

    CheckFixed(d, f, decimals, width);
    char text[INT32_TEXT_MAX];
    FUZZ_EXPECT_SAME_TEXT(std::string(text, FormatInt(text, i)), Printf("%d", i));
    FUZZ_EXPECT_SAME_TEXT(IntText(i, width), Printf("%*d", width, i));
    FUZZ_EXPECT_SAME_TEXT(ScientificText(d), Printf("%+15.8E", d));
    FUZZ_EXPECT_SAME_TEXT(TrackExtentReadout(d, static_cast<double>(f)),
                          Printf("GPS XW:%4.3f, YH:%4.3f", NanUnsigned(d), NanUnsigned(static_cast<double>(f))));
    FUZZ_EXPECT_SAME_TEXT(TrackMotionReadout(f, d, -f, 0.5 * d),
                          Printf("V: %3.1f m/s D: %3.1f deg A: %3.1f / %3.1f m ", NanUnsigned(f), NanUnsigned(d),
                                 NanUnsigned(-f), NanUnsigned(0.5 * d)));

    std::vector<float> run(input.ConsumeIntegralInRange<std::size_t>(0, 16));
    for (float& v : run) v = std::bit_cast<float>(input.ConsumeIntegral<std::uint32_t>());
    CheckRun<1>(run);
    CheckRun<2>(run);
    CheckRun<3>(run);

    CheckRow(input);

    const std::string number = input.ConsumeRandomLengthString(64);
    if (DecimalOnly(number)) {
        const double ours = ReadDecimalPrefix(std::span(reinterpret_cast<const std::uint8_t*>(number.data()),
                                                        number.find('\0') == std::string::npos ? number.size()
                                                                                               : number.find('\0')));
        const double reference = StrtodC(number);
        FUZZ_EXPECT(std::bit_cast<std::uint64_t>(ours) == std::bit_cast<std::uint64_t>(reference));
    }
    return 0;
}
