#pragma once
// A data file's records for an export that reads them where they lie: each
// batch reads its own records on the core that formats it, so neither the
// document nor the whole file is ever held in memory, and the file is read
// on every core too. The output is the same as from the file opened in a new
// session.

#include <atomic>
#include <memory>
#include <span>
#include <string>

#include "data/data_file_reader.h"
#include "data/measurement_record.h"

namespace varnelo {

class FileBatches {
public:
    explicit FileBatches(DataFileReader& source) : m_source(source), m_firstUnread(source.count()) {}

    int count() const { return m_source.count(); }

    // Records [begin, end) read into `room`, or nothing when they could not
    // all be read (remembered for unreadable()). Safe on any thread.
    std::span<const MeasurementRecord> read(std::size_t begin, std::size_t end,
                                            std::unique_ptr<MeasurementRecord[]>& room);

    // "PATH: record N could not be read" when a record before `before`
    // could not be; empty otherwise.
    std::string unreadable(int before) const;

private:
    DataFileReader& m_source;
    std::atomic<int> m_firstUnread;
};

}  // namespace varnelo
