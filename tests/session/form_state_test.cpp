// Which commands the window offers: nothing may write the document's records
// while a download is writing them, and reading is offered without a logger
// too, since it connects first.
#include <gtest/gtest.h>

#include "session/form_state.h"

namespace varnelo {
namespace {

struct Case {
    FormFacts facts;
    bool read, readNew, stop, save, exports, editHardware;
};

TEST(FormState, EveryCommandFollowsTheStateAndTheConnection) {
    using enum FormState;
    const Case cases[] = {
        // state, connected, records      read   new    stop   save   csv    hardware
        {{Idle, false, false}, /**/ true, false, false, true, true, false},
        {{Idle, false, true}, /**/ true, true, false, true, true, false},
        {{Idle, true, false}, /**/ true, false, false, true, true, true},
        {{Idle, true, true}, /**/ true, true, false, true, true, true},
        {{Downloading, true, false}, /**/ false, false, true, false, false, true},
        {{Downloading, true, true}, /**/ false, false, true, false, false, true},
        // A download whose port has gone still has to be stoppable.
        {{Downloading, false, true}, /**/ false, false, true, false, false, false},
        // Connecting changes no record, but the settings wait for what it says.
        {{Connecting, true, true}, /**/ false, false, true, true, true, false},
    };
    for (const Case& c : cases) {
        const CommandEnabling on = EnablingFor(c.facts);
        const auto context = ::testing::Message() << "state " << static_cast<int>(c.facts.state) << " connected "
                                                  << c.facts.connected << " records " << c.facts.hasRecords;
        EXPECT_EQ(on.read, c.read) << context;
        EXPECT_EQ(on.readNew, c.readNew) << context;
        EXPECT_EQ(on.stop, c.stop) << context;
        EXPECT_EQ(on.save, c.save) << context;
        EXPECT_EQ(on.saveAs, c.save) << context;
        EXPECT_EQ(on.exports, c.exports) << context;
        EXPECT_EQ(on.editHardware, c.editHardware) << context;
    }
}

}  // namespace
}  // namespace varnelo
