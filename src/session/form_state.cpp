#include "session/form_state.h"

namespace varnelo {

CommandEnabling EnablingFor(const FormFacts& facts) {
    const bool idle = facts.state == FormState::Idle;
    const bool writing = facts.state == FormState::Downloading;
    CommandEnabling on;
    on.read = idle;
    // Like reading, it connects first when there is no logger.
    on.readNew = idle && facts.hasRecords;
    on.stop = !idle;
    // Saving or exporting while records arrive would write a count and
    // records of two different moments; connecting changes no record.
    on.save = !writing;
    on.saveAs = !writing;
    on.exports = !writing;
    // An upload runs between two download steps; it needs only the port,
    // and what a connection under way will say of it.
    on.editHardware = facts.connected && facts.state != FormState::Connecting;
    return on;
}

}  // namespace varnelo
