// sensors, upload-sensor: the heads of a settings file, and giving a channel
// of the logger one of them.
#include <QCommandLineParser>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "data/device_info_block.h"
#include "device/device_link.h"
#include "session/logger_session.h"
#include "launch/path_text.h"
#include "launch/logger_options.h"
#include "settings/channel_upload.h"
#include "settings/settings_file.h"
#include "text/message_text.h"
#include "text/number_text.h"

namespace varnelo::cli {

namespace {

constexpr std::size_t NAMES_LISTED_MAX = 20;  // in the message for a head that is not there

// A head's name in double quotes, so that blanks show, escaped as every
// quoted value is (text/message_text.h); the listing shows it whole.
std::string HeadName(std::string_view name, std::size_t maxCharacters = MESSAGE_VALUE_MAX) {
    return '"' + MessageText(name, maxCharacters) + '"';
}

std::optional<SensorTable> ReadTable(const QString& path) {
    std::string error;
    auto table = LoadSettingsFile(ToPath(path), error);
    if (!table) {
        Fail(QString::fromStdString("cannot read the settings file " + error));
        return std::nullopt;
    }
    if (table->ignoredLines > 0) {
        Warn(std::to_string(table->ignoredLines) + " sensor lines after the first " +
             std::to_string(SENSOR_TABLE_CAPACITY) + " are ignored");
    }
    return table;
}

std::string MissingSensor(const std::string& name, const QString& path, const SensorTable& table) {
    std::string text = "no sensor head named " + HeadName(name) + " in " + ShownPath(path).toStdString();
    if (table.heads.empty()) return text + "; it lists no " + SENSOR_TAG + " heads";
    text += "; it lists";
    const std::size_t listed = std::min(table.heads.size(), NAMES_LISTED_MAX);
    for (std::size_t i = 0; i < listed; ++i) {
        text += i == 0 ? " " : ", ";
        text += HeadName(table.heads[i].name);
    }
    if (listed < table.heads.size()) text += " and " + std::to_string(table.heads.size() - listed) + " more";
    return text;
}

// The usage error of a missing option, or nothing.
std::optional<QString> MissingOption(const QCommandLineParser& parser) {
    if (!parser.isSet("settings")) return QStringLiteral("name the settings file with --settings FILE");
    if (!parser.isSet("sensor")) return QStringLiteral("name the sensor head with --sensor NAME");
    if (!parser.isSet("channel")) return QStringLiteral("name the channel with --channel 1|2");
    return std::nullopt;
}

}  // namespace

int RunSensors(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Lists the sensor heads of a settings file: the name in double quotes, then the six "
                       "coefficients."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("the settings file (*.csv)"));
    if (const Status checked = Parse(parser, arguments); !checked) return ExitStatus(checked);
    QString path;
    if (const Status checked = SinglePositional(parser, QStringLiteral("settings file"), path); !checked)
        return ExitStatus(checked);
    const auto table = ReadTable(path);
    if (!table) return EXIT_FAILED;
    if (table->heads.empty()) Warn(PathBytesOfText(path).toStdString() + " lists no " + SENSOR_TAG + " heads");
    for (const SensorHead& head : table->heads) {
        std::string line = HeadName(head.name, MESSAGE_UNCUT);
        for (const double c : head.coefficients) {
            line += ' ';
            line += ScientificText(c);
        }
        Print(line);
    }
    return 0;
}

int RunUploadSensor(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Gives a channel of the logger a sensor head of a settings file: its name and six "
                       "coefficients go into the logger's device information block, which is sent back whole."));
    AddLoggerOptions(parser);
    parser.addOptions({
        {"settings", "the settings file (*.csv)", "FILE"},
        {"sensor", "the head to give the channel: the first one of this exact name", "NAME"},
        {"channel", "the channel: 1 or 2", "1|2"},
        {"verify", "read the block back afterwards and fail unless it equals what was sent"},
    });
    if (const Status checked = Parse(parser, arguments); !checked) return ExitStatus(checked);
    if (const Status checked = NoPositional(parser); !checked) return ExitStatus(checked);
    QString usageError;
    std::optional<long long> channelNumber;
    if (const auto missing = MissingOption(parser)) {
        usageError = *missing;
    } else {
        IntOption(parser, "channel", 1, 2, channelNumber, usageError);
    }
    if (!channelNumber) return UsageError(usageError);
    const int channel = static_cast<int>(*channelNumber) - 1;

    const QString settingsPath = parser.value("settings");
    const auto table = ReadTable(settingsPath);
    if (!table) return EXIT_FAILED;
    const std::string name = parser.value("sensor").toLocal8Bit().toStdString();
    const auto index = FindSensor(*table, name);
    if (!index) return Fail(QString::fromStdString(MissingSensor(name, settingsPath, *table)));

    CliLogger cli(parser, true);
    if (!cli.status) return ExitStatus(cli.status);
    LoggerSession& logger = *cli.logger;
    const std::string on = " the logger on " + logger.portName();
    // Sending a block that did not come from the logger would overwrite its
    // other channel and the bytes we do not interpret: the session refuses.
    DeviceInfoBlock block = logger.state()->deviceInfo;
    const bool readable = logger.state()->deviceInfoRead;
    if (readable) AssignSensorToChannel(block, *table, static_cast<std::ptrdiff_t>(*index), channel);
    const std::string stored = SensorName(block, channel);
    if (readable && stored != name)
        Warn("the name " + HeadName(name) + " is cut to " + HeadName(stored) + " to fit the logger");
    const std::string target = "ch." + std::to_string(channel + 1);
    const bool verify = parser.isSet("verify");
    if (const Status sent = logger.upload(block, verify); !sent) {
        if (!readable) return Fail(QString::fromStdString(sent.detail));
        const bool readBack = CommandOf(sent) == DeviceCommand::CMD_READ_DEVICE_INFO;
        return Fail(QString::fromStdString("upload to " + target + " of" + on + (readBack ? " not confirmed: " : " failed: ") +
                                           sent.detail));
    }
    Print(target + " of" + on + " now holds " + HeadName(stored) + (verify ? " (read back and verified)" : ""));
    return 0;
}

}  // namespace varnelo::cli
