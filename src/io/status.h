#pragma once
// How an operation of the core ended, as one value for every module: true
// only on success, so that `if (!status)` reads as failure wherever it
// stands. A failure is kept as values, not as finished text, so that each
// program words it in its own language; `detail` is the English line of the
// command line and the trace, naming the file or command and what happened.

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace varnelo {

class [[nodiscard]] Status {
public:
    enum class Kind : std::uint8_t {
        Ok,
        Cancelled,  // the user stopped it, or asked for nothing more: nothing wrong to report
        Failed,     // detail says what; nothing finer is known
        Usage,      // the request itself is wrong (a command line's arguments): nothing was tried
        // A file.
        OpenFailed,        // cannot be read at all, or a read failed half way
        UnexpectedFormat,  // not a data file this program can take
        SaveFailed,
        NotRegular,  // a pipe, FIFO or device where streams are refused
        // An exchange with the logger.
        ExchangeRefused,  // a length outside the protocol: nothing was written
        WriteShort,       // the frame did not go out whole: nothing was read
        ReplyShort,       // fewer reply bytes than expected arrived in time
        ReplyLong,        // more came than were asked for: the reply cannot be trusted
        PortGone,         // the port went away: nothing more goes through it
        // A connection to the logger.
        NoLogger,         // no port has the logger's USB id: portsSeen
        PortUnavailable,  // the port is there but cannot be opened: path, cause
        NoAnswer,         // the port opened, but the logger did not say how many records it holds
    };

    // What exactly was wrong, for wording it: with a file, or with a port
    // that would not open.
    enum class Cause : std::uint8_t {
        Other,         // detail says it; systemError where the system had a word
        CutShort,      // shorter than its count announces: announced, holds
        ReadError,     // a read the system failed: systemError
        TooShort,      // shorter than a parameter block and a count: size
        CountOutside,  // a count outside what a file can hold: announced
        EmptyStream,   // nothing arrived from a pipe or device
        Busy,          // another program is writing the file
        // A port that cannot be opened.
        PortMissing,     // no such port
        PortPermission,  // this user may not open it
        PortInUse,       // another program holds it
        PortNotSerial,   // it opened but is no serial port
        PortRawRefused,  // its driver refused raw mode
    };

    static constexpr int NO_RECORD = -1;
    static constexpr int NO_COMMAND = -1;

    Status() = default;  // success
    Status(Kind k, std::string what) : kind(k), detail(std::move(what)) {}

    static Status Stopped() { return {Kind::Cancelled, {}}; }  // Cancelled

    bool ok() const { return kind == Kind::Ok; }
    bool cancelled() const { return kind == Kind::Cancelled; }
    bool failed() const { return !ok() && !cancelled(); }
    explicit operator bool() const { return ok(); }

    Kind kind = Kind::Ok;
    Cause cause = Cause::Other;
    std::string detail;              // English: the path or command, then what happened
    std::string path;                // the file or port, where one is named
    int record = NO_RECORD;          // the record, where one is named
    int command = NO_COMMAND;        // the logger command's code, where one is named
    std::string systemError;         // the system's word for it, where it had one
    int systemErrorNumber = 0;       // the system's number for it, where it had one
    int announced = 0;               // CutShort, CountOutside: the records a count announces
    int holds = 0;                   // CutShort: the complete records a file holds
    std::uintmax_t size = 0;         // TooShort: the file's bytes
    std::size_t expected = 0;        // an exchange: bytes of the frame or of the reply
    std::size_t done = 0;            // an exchange: bytes written or received
    int portsSeen = 0;               // NoLogger: the serial ports discovery looked at
};

}  // namespace varnelo
