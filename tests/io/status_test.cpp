// The one rule every caller leans on: a status reads true only on success,
// whatever else it carries.
#include <gtest/gtest.h>

#include "io/status.h"

namespace varnelo {
namespace {

TEST(Status, OnlySuccessReadsTrue) {
    struct Case {
        Status status;
        bool ok;
        bool cancelled;
    };
    Status busy{Status::Kind::SaveFailed, "a.vrnldata: being written"};
    busy.cause = Status::Cause::Busy;
    const Case cases[] = {
        {Status{}, true, false},
        {Status::Success(), true, false},
        {Status::Stopped(), false, true},
        {Status{Status::Kind::Failed, "x"}, false, false},
        {Status{Status::Kind::Usage, "x"}, false, false},
        {busy, false, false},
        {Status{Status::Kind::ReplyShort, {}}, false, false},
        {Status{Status::Kind::PortGone, {}}, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(static_cast<bool>(c.status), c.ok) << c.status.detail;
        EXPECT_EQ(c.status.ok(), c.ok) << c.status.detail;
        EXPECT_EQ(c.status.cancelled(), c.cancelled) << c.status.detail;
        EXPECT_EQ(c.status.failed(), !c.ok && !c.cancelled) << c.status.detail;
    }
    EXPECT_EQ(Status{}.record, Status::NO_RECORD);
    EXPECT_EQ(Status{}.command, Status::NO_COMMAND);
    EXPECT_TRUE(Status{}.detail.empty());
}

}  // namespace
}  // namespace varnelo
