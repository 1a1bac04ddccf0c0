#include "support/test_support.h"

#include <gtest/gtest.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif
#ifndef _WIN32
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>

namespace varnelo::test {

namespace fs = std::filesystem;

TempDir::TempDir() {
#ifdef _WIN32
    // No mkdtemp: a random name, taken only if nobody has it.
    std::random_device seed;
    for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
        const fs::path candidate = fs::temp_directory_path() / ("varnelo-test-" + std::to_string(seed()));
        if (fs::create_directory(candidate)) m_path = candidate;
    }
    if (m_path.empty()) throw std::runtime_error("cannot make a temporary folder");
#else
    std::string pattern = (fs::temp_directory_path() / "varnelo-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
#endif
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

std::size_t EntriesIn(const fs::path& folder) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

std::size_t LineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

std::vector<std::uint8_t> ReadFileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

MeasurementRecord PatternRecord(std::uint32_t seed) {
    MeasurementRecord r;
    std::mt19937 generator(seed);
    for (auto& b : r.bytes) b = static_cast<std::uint8_t>(generator());
    return r;
}

const char* SystemLocale(const char* posixName) {
#ifdef _WIN32
    const std::string name = posixName;
    if (name.starts_with("de_DE")) return "German_Germany.1252";
    if (name.starts_with("fr_FR")) return "French_France.1252";
    if (name.starts_with("ja_JP")) return "Japanese_Japan.932";
#endif
    return posixName;
}

#ifndef _WIN32

namespace {

std::string DrainToString(std::FILE* f) {
    std::string text;
    std::rewind(f);
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    return text;
}

}  // namespace

const char* CliPath() {
    if (const char* overridden = std::getenv("VARNELO_CLI")) return overridden;
#ifdef VARNELO_CLI_PATH
    return VARNELO_CLI_PATH;
#else
    throw std::runtime_error("the path of varnelo-cli is not known");
#endif
}

int ForkChild() {
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child == 0) {
#ifdef __linux__
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
        if (::getppid() != parent) ::_exit(125);  // the parent died before the line above
    }
    return child;
}

ProcessResult RunCli(const std::vector<std::string>& arguments, const CliSetting& setting) {
    const char* cli = setting.program.empty() ? CliPath() : setting.program.c_str();
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    const pid_t child = ForkChild();
    if (child == 0) {
        ::dup2(setting.standardOutput >= 0 ? setting.standardOutput : fileno(out), 1);
        ::dup2(fileno(err), 2);
        if (!setting.workingDirectory.empty() && ::chdir(setting.workingDirectory.c_str()) != 0) ::_exit(126);
        if (setting.fileSizeLimit >= 0) {
            // Past the limit a write fails with EFBIG instead of killing the process.
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{static_cast<rlim_t>(setting.fileSizeLimit), static_cast<rlim_t>(setting.fileSizeLimit)};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (setting.memoryLimit >= 0 && !SANITIZED) {
            const rlimit limit{static_cast<rlim_t>(setting.memoryLimit), static_cast<rlim_t>(setting.memoryLimit)};
            ::setrlimit(RLIMIT_AS, &limit);
        }
        for (const std::string& variable : setting.environment) ::putenv(const_cast<char*>(variable.c_str()));
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(cli));
        for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(cli, argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ProcessResult result;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = DrainToString(out);
    result.err = DrainToString(err);
    std::fclose(out);
    std::fclose(err);
    return result;
}

#endif  // the command line runs as a process on POSIX systems only

#ifndef _WIN32
DeadTerminal::DeadTerminal() : m_master(::posix_openpt(O_RDWR | O_NOCTTY)) {
    if (m_master >= 0 && ::grantpt(m_master) == 0 && ::unlockpt(m_master) == 0) m_path = ::ptsname(m_master);
}

DeadTerminal::~DeadTerminal() {
    if (m_master >= 0) ::close(m_master);
}
#endif

}  // namespace varnelo::test
