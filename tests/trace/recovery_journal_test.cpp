#include "trace/recovery_journal.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "support/test_files.h"
#include "trace/trace_file.h"

namespace vespian {
namespace {

namespace fs = std::filesystem;
using testing::readBytes;
using testing::TestFolder;
using testing::writeBytes;

// n readings of signal i and temperature 100 + i, appended as the acquisition thread does; the
// first two readings share slot 0 and the index stalls once in 102, so the stored values are
// the readings that stayed.
void acquire(Chromatogram& trace, int readings, float from = 0.0f) {
    for (int i = 0; i < readings; ++i) trace.appendReading(from + static_cast<float>(i), 100.0f + static_cast<float>(i));
}

int32_t headerCount(const std::string& bytes, size_t offset) {
    int32_t v = 0;
    std::memcpy(&v, bytes.data() + offset, 4);
    return v;
}

void expectSameTrace(const Chromatogram& restored, const Chromatogram& original) {
    ASSERT_EQ(restored.pointCount(), original.pointCount());
    ASSERT_EQ(restored.shownCount(), original.pointCount());
    for (int32_t i = 0; i < original.pointCount(); ++i) {
        ASSERT_EQ(restored.signalMv()[i], original.signalMv()[i]) << i;
        ASSERT_EQ(restored.temperatureC()[i], original.temperatureC()[i]) << i;
    }
}

class RecoveryJournalTest : public ::testing::Test {
protected:
    TestFolder folder{"recovery_journal"};
    const std::string path = folder.file(kRecoveryJournalFileName);
    Chromatogram trace;
};

// Four points in the journal: the 16-byte header, then signal and temperature per point.
TEST_F(RecoveryJournalTest, LayoutOfAFewPoints) {
    RecoveryJournal journal(path);
    journal.startFresh(trace);
    EXPECT_TRUE(journal.flush(trace));
    EXPECT_FALSE(fs::exists(path));  // nothing recorded, nothing to keep

    acquire(trace, 5);  // readings 0, 1 share slot 0: slots hold 1, 2, 3, 4
    ASSERT_EQ(trace.pointCount(), 4);
    EXPECT_TRUE(journal.unsaved(trace));
    EXPECT_TRUE(journal.flush(trace));
    const std::string bytes = readBytes(path);
    ASSERT_EQ(bytes.size(), 16u + 4u * 8u);
    EXPECT_EQ(bytes.substr(0, 8), "VSPJRNL1");
    EXPECT_EQ(headerCount(bytes, 8), 4);
    EXPECT_EQ(headerCount(bytes, 12), 0);
    float first[2];
    std::memcpy(first, bytes.data() + 16, 8);
    EXPECT_EQ(first[0], 1.0f);
    EXPECT_EQ(first[1], 101.0f);
    float last[2];
    std::memcpy(last, bytes.data() + 16 + 3 * 8, 8);
    EXPECT_EQ(last[0], 4.0f);
    EXPECT_EQ(last[1], 104.0f);

    const JournalContents contents = inspectJournal(path);
    EXPECT_TRUE(contents.found);
    EXPECT_TRUE(contents.readable);
    EXPECT_EQ(contents.points, 4);
    EXPECT_TRUE(contents.worthRestoring());
}

TEST_F(RecoveryJournalTest, PointsAreAppendedAsTheyArriveAndRestoredExactly) {
    RecoveryJournal journal(path);
    journal.startFresh(trace);
    for (int round = 0; round < 5; ++round) {
        acquire(trace, 777, static_cast<float>(round * 1000));
        ASSERT_TRUE(journal.flush(trace));
        EXPECT_EQ(journal.journaledPoints(), trace.pointCount());
        EXPECT_EQ(fs::file_size(path), 16u + 8u * static_cast<uint64_t>(trace.pointCount()));
    }
    Chromatogram restored;
    RecoveryJournal next(path);
    const JournalRestore result = next.restore(restored);
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(result.points, trace.pointCount());
    expectSameTrace(restored, trace);
    // The restored trace is unsaved and the journal goes on from it without rewriting.
    EXPECT_TRUE(next.unsaved(restored));
    EXPECT_EQ(next.journaledPoints(), restored.pointCount());
    acquire(restored, 100, 9000.0f);
    ASSERT_TRUE(next.flush(restored));
    Chromatogram again;
    RecoveryJournal third(path);
    ASSERT_TRUE(third.restore(again).ok);
    expectSameTrace(again, restored);
}

// Polarity, a cut and a load change stored points: the journal is written anew from the start.
TEST_F(RecoveryJournalTest, EditsRewriteTheJournal) {
    RecoveryJournal journal(path);
    journal.startFresh(trace);
    acquire(trace, 2000);
    ASSERT_TRUE(journal.flush(trace));
    trace.reversePolarity();  // negates the shown points
    while (trace.takeOverPoint()) {
    }
    trace.reversePolarity();
    ASSERT_TRUE(journal.flush(trace));
    Chromatogram restored;
    ASSERT_TRUE(RecoveryJournal(path).restore(restored).ok);
    expectSameTrace(restored, trace);
    EXPECT_LT(restored.signalMv()[10], 0.0f);

    const uint64_t longer = fs::file_size(path);
    trace.deleteStretch(100, 1500);
    ASSERT_TRUE(journal.flush(trace));
    EXPECT_LT(fs::file_size(path), longer);  // the cut-off tail is gone from the file too
    Chromatogram cut;
    ASSERT_TRUE(RecoveryJournal(path).restore(cut).ok);
    expectSameTrace(cut, trace);
}

// Saving retires the journal; a run that goes on after the save keeps the whole trace in a new
// one, so a crash later still restores everything, not only what came after the save.
TEST_F(RecoveryJournalTest, SavingAndClearingRetireTheJournal) {
    RecoveryJournal journal(path);
    journal.startFresh(trace);
    acquire(trace, 3000);
    ASSERT_TRUE(journal.flush(trace));
    ASSERT_TRUE(fs::exists(path));
    const TraceFileResult saved = saveTraceFile(folder.file("run.lne"), trace);
    ASSERT_TRUE(saved.ok);
    journal.markSaved(trace, saved.points);
    EXPECT_FALSE(journal.unsaved(trace));
    // A crash right after the save offers nothing.
    EXPECT_FALSE(inspectJournal(path).worthRestoring());
    ASSERT_TRUE(journal.flush(trace));
    EXPECT_FALSE(fs::exists(path));

    acquire(trace, 500, 5000.0f);
    EXPECT_TRUE(journal.unsaved(trace));
    ASSERT_TRUE(journal.flush(trace));
    const JournalContents contents = inspectJournal(path);
    EXPECT_EQ(contents.points, trace.pointCount());
    EXPECT_TRUE(contents.worthRestoring());
    Chromatogram restored;
    ASSERT_TRUE(RecoveryJournal(path).restore(restored).ok);
    expectSameTrace(restored, trace);

    trace.clearTrace();
    ASSERT_TRUE(journal.flush(trace));
    EXPECT_FALSE(fs::exists(path));
    EXPECT_FALSE(journal.unsaved(trace));
}

// A loaded trace is a file's trace: nothing unsaved until new points arrive.
TEST_F(RecoveryJournalTest, ALoadedTraceIsSaved) {
    RecoveryJournal journal(path);
    journal.startFresh(trace);
    acquire(trace, 1000);
    ASSERT_TRUE(saveTraceFile(folder.file("a.lne"), trace).ok);
    Chromatogram other;
    RecoveryJournal otherJournal(folder.file("other.jnl"));
    otherJournal.startFresh(other);
    const TraceFileResult loaded = loadTraceFile(folder.file("a.lne"), other);
    ASSERT_TRUE(loaded.ok);
    otherJournal.markSaved(other, loaded.points);
    EXPECT_FALSE(otherJournal.unsaved(other));
    acquire(other, 10);
    EXPECT_TRUE(otherJournal.unsaved(other));
}

// After a save of a long trace the new journal is written over several updates; each leaves a
// readable journal of the points written so far.
TEST_F(RecoveryJournalTest, LongTracesAreWrittenInParts) {
    std::vector<float> signal(static_cast<size_t>(kJournalPointsPerFlush) * 2 + 5);
    for (size_t i = 0; i < signal.size(); ++i) signal[i] = static_cast<float>(i % 1000);
    trace.replace(signal.data(), signal.data(), static_cast<int32_t>(signal.size()));
    RecoveryJournal journal(path);
    journal.startFresh(trace);
    trace.appendReading(1.0f, 2.0f);
    ASSERT_TRUE(journal.flush(trace));
    EXPECT_EQ(inspectJournal(path).points, kJournalPointsPerFlush);
    ASSERT_TRUE(journal.flush(trace));
    EXPECT_EQ(inspectJournal(path).points, 2 * kJournalPointsPerFlush);
    ASSERT_TRUE(journal.flush(trace));
    EXPECT_EQ(inspectJournal(path).points, trace.pointCount());
    Chromatogram restored;
    ASSERT_TRUE(RecoveryJournal(path).restore(restored).ok);
    expectSameTrace(restored, trace);
}

TEST_F(RecoveryJournalTest, DamagedJournalsAreRefusedOrCutToWhatTheyHold) {
    RecoveryJournal journal(path);
    journal.startFresh(trace);
    acquire(trace, 1000);
    ASSERT_TRUE(journal.flush(trace));
    const std::string good = readBytes(path);
    std::vector<float> before(50, 7.0f);
    Chromatogram untouched;
    untouched.replace(before.data(), before.data(), 50);

    // Not a journal at all.
    writeBytes(path, "hello, world, this is not a journal");
    JournalContents c = inspectJournal(path);
    EXPECT_TRUE(c.found);
    EXPECT_FALSE(c.readable);
    EXPECT_FALSE(c.message.empty());
    JournalRestore r = RecoveryJournal(path).restore(untouched);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(untouched.pointCount(), 50);
    EXPECT_EQ(untouched.signalMv()[0], 7.0f);

    // A count beyond the store's capacity.
    std::string bad = good;
    const int32_t huge = kMaxPoints;
    std::memcpy(bad.data() + 8, &huge, 4);
    writeBytes(path, bad);
    EXPECT_FALSE(inspectJournal(path).readable);
    EXPECT_FALSE(RecoveryJournal(path).restore(untouched).ok);
    EXPECT_EQ(untouched.pointCount(), 50);

    // Cut short behind the journal's back: what is there is restored.
    writeBytes(path, good.substr(0, 16 + 8 * 600 + 3));
    c = inspectJournal(path);
    EXPECT_TRUE(c.readable);
    EXPECT_EQ(c.points, 600);
    r = RecoveryJournal(path).restore(untouched);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(untouched.pointCount(), 600);
    EXPECT_EQ(untouched.signalMv()[599], trace.signalMv()[599]);

    // Points written beyond the count (a crash before the count was updated) are ignored.
    std::string longer = good + std::string(8 * 10, '\x41');
    writeBytes(path, longer);
    EXPECT_EQ(inspectJournal(path).points, trace.pointCount());

    // No journal: nothing found, nothing to offer.
    fs::remove(path);
    EXPECT_FALSE(inspectJournal(path).found);
    EXPECT_FALSE(inspectJournal(path).worthRestoring());
}

TEST_F(RecoveryJournalTest, AFreshStartRemovesAnOldJournal) {
    RecoveryJournal journal(path);
    journal.startFresh(trace);
    acquire(trace, 100);
    ASSERT_TRUE(journal.flush(trace));
    Chromatogram next;
    RecoveryJournal declined(path);
    declined.startFresh(next);
    EXPECT_FALSE(fs::exists(path));
}

TEST(RecoveryJournalText, TheRestoreQuestion) {
    EXPECT_EQ(restoreQuestion(5 * 3723), "发现上次运行未保存的谱图（18615 点，时长 1:02:03），是否恢复？");
    EXPECT_EQ(restoreQuestion(kLastPointIndex), "发现上次运行未保存的谱图（9999999 点，时长 555:33:19），是否恢复？");
}

TEST(RecoveryJournalWrite, AnUnwritableFolderFailsAndTriesAgain) {
    TestFolder folder("recovery_journal_missing");
    Chromatogram trace;
    RecoveryJournal journal(folder.file("gone/recovery.jnl"));
    journal.startFresh(trace);
    acquire(trace, 10);
    EXPECT_FALSE(journal.flush(trace));
    fs::create_directories(folder / "gone");
    EXPECT_TRUE(journal.flush(trace));
    EXPECT_EQ(inspectJournal(folder.file("gone/recovery.jnl")).points, trace.pointCount());
}

}  // namespace
}  // namespace vespian
