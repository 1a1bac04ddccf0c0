#pragma once
// What the window offers at a given moment. One state and one rule decide
// every command's enabling, so that no command can reach the document while
// a download is writing into it.

namespace varnelo {

enum class FormState {
    Idle,
    Connecting,   // the logger is being connected to: the document is untouched, the stop control ends it
    Downloading,  // records are arriving into the document, one per tick (all of them, or only the new ones)
};

struct FormFacts {
    FormState state = FormState::Idle;
    bool connected = false;   // a logger answered the last connection
    bool hasRecords = false;  // the document holds at least one record
};

struct CommandEnabling {
    // Idle, with or without a logger: without one, reading connects first.
    bool read = false;
    // Appending the logger's new records needs records to check it against.
    bool readNew = false;
    bool stop = false;
    bool save = false;
    bool saveAs = false;
    bool exports = false;  // "CSV保存", the GIS layer
    bool editHardware = false;
};

CommandEnabling EnablingFor(const FormFacts& facts);

}  // namespace varnelo
