// The rule every caller leans on: a status reads true only on success.
#include <gtest/gtest.h>

#include "io/status.h"

namespace varnelo {
namespace {

TEST(Status, OnlySuccessReadsTrue) {
    using K = Status::Kind;
    const struct {
        Status status;
        bool ok, cancelled;
    } cases[] = {
        {Status{}, true, false},
        {Status::Stopped(), false, true},
        {Status{K::Failed, "x"}, false, false},
        {Status{K::Usage, "x"}, false, false},
        {Status{K::SaveFailed, "x"}, false, false},
        {Status{K::ReplyShort, {}}, false, false},
        {Status{K::PortGone, {}}, false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(static_cast<bool>(c.status), c.ok) << static_cast<int>(c.status.kind);
        EXPECT_EQ(c.status.cancelled(), c.cancelled) << static_cast<int>(c.status.kind);
        EXPECT_EQ(c.status.failed(), !c.ok && !c.cancelled) << static_cast<int>(c.status.kind);
    }
    EXPECT_TRUE(Status{}.record == Status::NO_RECORD && Status{}.command == Status::NO_COMMAND);
}

}  // namespace
}  // namespace varnelo
