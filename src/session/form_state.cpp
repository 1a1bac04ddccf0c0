#include "session/form_state.h"

namespace varnelo {

CommandEnabling EnablingFor(const FormFacts& facts) {
    const bool idle = facts.state == FormState::Idle;
    CommandEnabling on;
    on.read = idle;
    // Like reading, it connects first when there is no logger.
    on.readNew = idle && facts.hasRecords;
    on.stop = !idle;
    // Saving or exporting while records arrive would write a count and
    // records of two different moments.
    on.save = idle;
    on.saveAs = idle;
    on.exports = idle;
    // An upload runs between two download steps; it needs only the port.
    on.editHardware = facts.connected;
    return on;
}

}  // namespace varnelo
