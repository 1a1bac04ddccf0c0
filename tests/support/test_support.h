#pragma once
// Shared by the tests: real temporary folders, file helpers, record builders.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "data/measurement_record.h"

namespace varnelo::test {

// Under AddressSanitizer the largest cases (100 MB files) skip themselves.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool SANITIZED = true;
#else
inline constexpr bool SANITIZED = false;
#endif

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes.
// A terminal nobody serves: every request sent to path() runs into its deadline.
class DeadTerminal {
public:
    DeadTerminal();
    ~DeadTerminal();
    DeadTerminal(const DeadTerminal&) = delete;
    DeadTerminal& operator=(const DeadTerminal&) = delete;
    const std::string& path() const { return m_path; }

private:
    int m_master;
    std::string m_path;
};

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path);
// How many entries a folder holds.
std::size_t EntriesIn(const std::filesystem::path& folder);
// How many lines a text holds ("\n" counted).
std::size_t LineCount(const std::string& text);
void WriteFileBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

// Every byte set from a seed, so that uninterpreted stretches are non-trivial.
MeasurementRecord PatternRecord(std::uint32_t seed);

// The name the C library knows a locale by: "de_DE.UTF-8" as given on POSIX
// systems, its Windows name there ("German_Germany.1252").
const char* SystemLocale(const char* posixName);

// Result of running a program: exit status and what it wrote.
struct ProcessResult {
    int status = -1;
    std::string out;
    std::string err;
};
// The varnelo-cli under test: VARNELO_CLI if set, else the one built here.
const char* CliPath();
// How the command runs: its current folder, a descriptor to take as standard
// output instead of a captured file, a largest file size it may write (as a
// full disk would stop it), variables of its environment ("NAME=value"), and
// the program when not CliPath().
struct CliSetting {
    std::filesystem::path workingDirectory;
    int standardOutput = -1;
    long fileSizeLimit = -1;
    long memoryLimit = -1;  // address space, ignored under the sanitizers, which reserve terabytes
    std::vector<std::string> environment;
    std::filesystem::path program;  // another varnelo-cli to run (a copy, say)
};
// fork() for a child that dies with this process: a test that crashes or
// is killed for hanging leaves no simulator or command behind holding the
// test runner's output open.
int ForkChild();
// Runs varnelo-cli with the given arguments.
ProcessResult RunCli(const std::vector<std::string>& arguments, const CliSetting& setting = {});

}  // namespace varnelo::test
