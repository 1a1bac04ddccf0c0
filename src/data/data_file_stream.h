#pragma once
// A data file written while its records are still arriving. A thread of its
// own writes each stretch of complete records as soon as it is announced, so
// that a download from a logger saves its file in the pauses between
// records, and once the last record is in only the last few remain to be
// written. The file appears only when finished, through a temporary file;
// a device or FIFO, which cannot take it that way, gets it all at the end.

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

#include "io/atomic_file.h"
#include "data/data_file.h"
#include "data/document.h"

namespace varnelo {

class DataFileStream {
public:
    // Writes doc's parameter block as it is now and a count of `count`
    // (held to 0..RECORD_CAPACITY), then the records as they complete.
    DataFileStream(const std::filesystem::path& path, const CVarneloDoc& doc, int count);
    // Unfinished, it stops and leaves the file that was there before alone.
    ~DataFileStream();
    DataFileStream(const DataFileStream&) = delete;
    DataFileStream& operator=(const DataFileStream&) = delete;

    // Records 0..complete-1 hold their final bytes; nothing writes them again.
    void advance(int complete);

    // Writes what is left and replaces the file. Fails, keeping the old
    // file, when fewer than `count` records were announced complete.
    Status finish();

private:
    void run();
    bool writeRecords(int from, int to);

    AtomicFileWriter m_writer;
    const CVarneloDoc& m_doc;
    const int m_count;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_complete = 0;
    int m_announced = 0;       // m_complete when the writer was last woken
    bool m_finishing = false;  // finish() waits for the rest
    bool m_stopping = false;   // given up: write nothing more
    bool m_written = false;    // every record went out and the file replaced the old one
    std::thread m_thread;
};

}  // namespace varnelo
