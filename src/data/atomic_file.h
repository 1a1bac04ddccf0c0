#pragma once
// Writes a file through a temporary sibling that replaces the target only
// once everything is written and flushed: a failed save never damages the
// file that was there before.

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace varnelo {

class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::filesystem::path target);
    ~AtomicFileWriter();  // a writer never committed removes its temporary file
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Each returns false once anything has failed; error() then says what.
    bool open();
    bool write(const void* data, std::size_t size);
    bool write(std::string_view text) { return write(text.data(), text.size()); }
    bool commit();

    const std::string& error() const { return m_error; }
    const std::filesystem::path& target() const { return m_target; }

private:
    bool fail(const std::string& what, int errorNumber);
    void discard();

    std::filesystem::path m_target;
    std::filesystem::path m_temporary;
    std::FILE* m_file = nullptr;
    std::string m_error;
};

}  // namespace varnelo
