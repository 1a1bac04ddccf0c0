#include <gtest/gtest.h>

#include "io/path_text.h"
#include "settings/settings_file.h"
#include "support/test_support.h"

namespace varnelo {
namespace {

using Coefs = SensorCoefficientSet;

struct Expected {
    std::string name;
    Coefs coefficients;
};

void ExpectHeads(const SensorTable& table, const std::vector<Expected>& expected, const std::string& what) {
    ASSERT_EQ(table.heads.size(), expected.size()) << what;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(table.heads[i].name, expected[i].name) << what << ", head " << i;
        EXPECT_EQ(table.heads[i].coefficients, expected[i].coefficients) << what << ", head " << i;
    }
}

TEST(SettingsFile, LineRules) {
    const Coefs oneToSix{1, 2, 3, 4, 5, 6};
    const struct {
        const char* what;
        std::string text;
        std::vector<Expected> heads;
    } cases[] = {
        {"quoted tag and name", "\"C12880MA\",\"A1\",1,2,3,4,5,6\n", {{"A1", oneToSix}}},
        {"unquoted tag and name", "C12880MA,A1,1,2,3,4,5,6\n", {{"A1", oneToSix}}},
        {"quotes anywhere in tag and name", "C1288\"0MA\",\"A\"1\",1,2,3,4,5,6", {{"A1", oneToSix}}},
        {"one number", "C12880MA,B2,1.5E+02\n", {{"B2", {150, 0, 0, 0, 0, 0}}}},
        {"line ends after the name", "C12880MA,E\n", {{"E", {}}}},
        {"file ends after the tag", "C12880MA", {{"", {}}}},
        {"lower-case tag", "c12880ma,X,1\n", {}},
        {"blank before the tag", " C12880MA,X,1\n", {}},
        {"byte-order mark before the first line skipped",
         "\xEF\xBB\xBF"
         "C12880MA,X,1\nC12880MA,Y,2\n",
         {{"X", {1, 0, 0, 0, 0, 0}}, {"Y", {2, 0, 0, 0, 0, 0}}}},
        {"byte-order mark alone", "\xEF\xBB\xBF", {}},
        {"half a mark is part of the line",
         "\xEF\xBB"
         "C12880MA,X,1\nC12880MA,Y,2\n",
         {{"Y", {2, 0, 0, 0, 0, 0}}}},
        {"a mark later on is part of its line", "C12880MA,X,1\n\xEF\xBB\xBF" "C12880MA,Y,2\n",
         {{"X", {1, 0, 0, 0, 0, 0}}}},
        {"quoted number reads 0", "C12880MA,Q,\"7\",2,3,4,5,6\n", {{"Q", {0, 2, 3, 4, 5, 6}}}},
        {"blanks around the name kept", "C12880MA,  N 1  ,1\n", {{"  N 1  ", {1, 0, 0, 0, 0, 0}}}},
        {"CR LF is the line end", "C12880MA,N\r\nC12880MA,M,1,2,3,4,5,6\r\n", {{"N", {}}, {"M", oneToSix}}},
        {"a lone CR stays in the line", "C12880MA,A\rB,1\r\r\n", {{"A\rB", {1, 0, 0, 0, 0, 0}}}},
        {"C number rule", "C12880MA,R, -2.5e-3,+.5,7x,1e,-,0x1A\n", {{"R", {-2.5e-3, 0.5, 7, 1, 0, 0}}}},
        {"fields past the sixth number ignored", "C12880MA,F,1,2,3,4,5,6,99,x\n", {{"F", oneToSix}}},
        {"empty fields", "C12880MA,,,3\n", {{"", {0, 3, 0, 0, 0, 0}}}},
        {"headers, blanks and comments skipped",
         "type,name,a0,a1,a2,a3,a4,a5\n\n# C12880MA,Z\nC12880MA,K,1\n,C12880MA,Z\n", {{"K", {1, 0, 0, 0, 0, 0}}}},
    };
    for (const auto& c : cases) ExpectHeads(ParseSensorTable(c.text), c.heads, c.what);
}

TEST(SettingsFile, LongLinesAreReadInPiecesOf255Bytes) {
    // A 300-byte line: its bytes from 255 on are a line of their own, which
    // here happens to be a sensor line.
    std::string first = "C12880MA,Long,1,2,3,4,5,6,";
    first.resize(255, 'x');
    std::string second = "C12880MA,Tail,7,";
    second.resize(300 - 255, 'y');
    const SensorTable split = ParseSensorTable(first + second + "\n");
    ExpectHeads(split, {{"Long", {1, 2, 3, 4, 5, 6}}, {"Tail", {7, 0, 0, 0, 0, 0}}}, "300-byte line");

    // A name that runs over the piece's end is cut there.
    std::string longName = "C12880MA,";
    longName.append(260, 'N');
    EXPECT_EQ(ParseSensorTable(longName).heads.at(0).name, std::string(255 - 9, 'N'));

    // 254 bytes and CR LF fit one piece (CR LF counts as one byte); 255 bytes
    // and LF end with an empty piece, which is skipped.
    std::string fits = "C12880MA,A,";
    fits.resize(254, ' ');
    ExpectHeads(ParseSensorTable(fits + "\r\nC12880MA,B\r\n"), {{"A", {}}, {"B", {}}}, "254 + CR LF");
    std::string full = "C12880MA,A,";
    full.resize(255, ' ');
    ExpectHeads(ParseSensorTable(full + "\nC12880MA,B\n"), {{"A", {}}, {"B", {}}}, "255 + LF");
}

TEST(SettingsFile, OnlyTheFirstThousandSensorLinesAreUsed) {
    std::string text = "header\n";
    for (int i = 0; i < 1003; ++i) text += "C12880MA,H" + std::to_string(i) + "," + std::to_string(i) + "\n";
    const SensorTable table = ParseSensorTable(text);
    ASSERT_EQ(table.heads.size(), SENSOR_TABLE_CAPACITY);
    EXPECT_EQ(table.ignoredLines, 3u);
    EXPECT_EQ(table.heads.back().name, "H999");
    EXPECT_EQ(table.heads.back().coefficients[0], 999.0);
}

TEST(SettingsFile, LoadingReadsTheFileAndRefusesWhatCannotBeRead) {
    test::TempDir dir;
    const auto path = dir.path() / std::filesystem::path(u8"測定データ.csv");
    test::WriteFileBytes(path, {'C', '1', '2', '8', '8', '0', 'M', 'A', ',', 'N', '\r', '\n'});
    std::string error;
    const auto table = LoadSettingsFile(path, error);
    ASSERT_TRUE(table.has_value()) << error;
    ExpectHeads(*table, {{"N", {}}}, "file");

    for (const auto& unreadable : {dir.path() / std::filesystem::path(u8"無い.csv"), dir.path()}) {
        error.clear();
        EXPECT_FALSE(LoadSettingsFile(unreadable, error).has_value()) << PathText(unreadable);
        EXPECT_NE(error.find(PathText(unreadable)), std::string::npos) << error;
    }
}

TEST(SettingsFile, FindSensorTakesTheFirstExactName) {
    const SensorTable table = ParseSensorTable("C12880MA,A ,1\nC12880MA,A,2\nC12880MA,A,3\n");
    EXPECT_EQ(FindSensor(table, "A"), 1u);
    EXPECT_EQ(FindSensor(table, "A "), 0u);
    EXPECT_FALSE(FindSensor(table, "a").has_value());
}

}  // namespace
}  // namespace varnelo
