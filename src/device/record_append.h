#pragma once
// The rule for bringing only the records a document lacks: a document
// holding records 0..k-1 takes records k..N-1 of a logger that reports
// N >= k, and only when the logger's record k-1, read again, is byte for
// byte the document's record k-1. Anything else could join the records of
// two loggers, or of a memory that was cleared and filled again, into one
// file. The logger session (session/) runs the append.

#include <string>

namespace varnelo {

enum class AppendRefusal {
    None,
    NoRecords,         // the document holds no record to check against: a full download is the way
    LoggerHoldsFewer,  // the logger holds fewer records than the document: its memory was cleared
    RecordDiffers,     // the logger's record k-1 is not the document's: another logger, or a refilled memory
    NoNewRecords,      // the logger holds just the document's records (or the document is full)
};

// What the refusal means, in English: "the logger holds 80 records, fewer
// than the 100 already here: its memory was cleared".
std::string DescribeRefusal(AppendRefusal refusal, int kept, int loggerCount);

}  // namespace varnelo
