#include <gtest/gtest.h>

#include "session/session.h"
#include "support/test_support.h"

namespace varnelo {
namespace {

// A record whose GPS sentence puts it at the given latitude (ddmm.mmmm).
MeasurementRecord RecordAt(const char* latitude) {
    MeasurementRecord r{};
    r.set_exp(100, 100);
    r.set_gps_text(std::string("$GPRMC,000000,A,") + latitude + ",N,13945.6789,E,0.0,0.0,");
    return r;
}

void FillWith(Session& session, std::initializer_list<const char*> latitudes) {
    int i = 0;
    for (const char* latitude : latitudes) session.doc().record(i++) = RecordAt(latitude);
    session.doc().setRecordCount(i);
}

TEST(Session, OpenSaveAndNewFollowTheFileAndTheChangedMark) {
    test::TempDir dir;
    Session session;
    EXPECT_EQ(session.title(), "");
    FillWith(session, {"3539.1234", "3539.2234"});
    session.markChanged();
    ASSERT_TRUE(session.save(dir / "day.vrnldata"));
    EXPECT_EQ(session.path(), dir / "day.vrnldata");
    EXPECT_EQ(session.title(), "day.vrnldata");
    EXPECT_FALSE(session.changed());

    // File > New forgets the file but keeps the records.
    session.markChanged();
    session.renew();
    EXPECT_EQ(session.title(), "");
    EXPECT_FALSE(session.changed());
    EXPECT_EQ(session.doc().recordCount(), 2);

    Session other;
    ASSERT_TRUE(other.open(dir / "day.vrnldata"));
    EXPECT_EQ(other.path(), dir / "day.vrnldata");
    EXPECT_EQ(other.doc().recordCount(), 2);
    // The track comes with the records.
    EXPECT_NEAR(other.track().latitude[1], 35.0 + 39.2234 / 60.0, 1e-9);
    EXPECT_TRUE(other.trackCurrent());
    other.markChanged();
    EXPECT_FALSE(other.trackCurrent()) << "records came in that the track has not seen";

    // Another program extends the file: the document notices, until it saves.
    EXPECT_FALSE(other.changedOnDisk());
    std::filesystem::resize_file(dir / "day.vrnldata", std::filesystem::file_size(dir / "day.vrnldata") + 1);
    EXPECT_TRUE(other.changedOnDisk());
    ASSERT_TRUE(other.save(dir / "day.vrnldata"));
    EXPECT_FALSE(other.changedOnDisk());
    std::filesystem::remove(dir / "day.vrnldata");
    EXPECT_TRUE(other.changedOnDisk());
    other.renew();
    EXPECT_FALSE(other.changedOnDisk()) << "a new document has no file to watch";
}

TEST(Session, RefusedFileLeavesDocumentTrackAndFileAlone) {
    test::TempDir dir;
    Session session;
    FillWith(session, {"3539.1234"});
    session.computeTrack();
    ASSERT_TRUE(session.save(dir / "good.vrnldata"));
    session.markChanged();
    test::WriteFileBytes(dir / "bad.vrnldata", {1, 2, 3});

    const Status error = session.open(dir / "bad.vrnldata");
    ASSERT_FALSE(error);
    EXPECT_EQ(error.kind, Status::Kind::UnexpectedFormat);
    EXPECT_EQ(session.path(), dir / "good.vrnldata");
    EXPECT_TRUE(session.changed());
    EXPECT_EQ(session.doc().recordCount(), 1);
    EXPECT_NEAR(session.track().latitude[0], 35.0 + 39.1234 / 60.0, 1e-9);
}

TEST(Session, FailedSaveKeepsTheFileItHad) {
    test::TempDir dir;
    Session session;
    ASSERT_TRUE(session.save(dir / "a.vrnldata"));
    session.markChanged();
    EXPECT_FALSE(session.save(dir / "missing-folder" / "b.vrnldata"));
    EXPECT_EQ(session.path(), dir / "a.vrnldata");
    EXPECT_TRUE(session.changed());
}

}  // namespace
}  // namespace varnelo
