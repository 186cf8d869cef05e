#pragma once
// The recovery journal: a copy of the unsaved live trace in the data folder, brought up to date
// every few seconds, so a run of hours or days survives a crash, a power cut or a closed
// window. It exists only while the trace holds something no trace file holds: saving the trace
// or clearing it removes it. The next start offers to restore what it holds.
//
// The journal is written by the UI thread from the trace store's own arrays (points below the
// published count are complete), so the acquisition thread does nothing for it.
//
// File layout, little-endian: a 16-byte header (the magic "VSPJRNL1", int32 count of valid
// points, int32 count of those already saved in a trace file), then per point float32 signal
// (mV) and float32 temperature (℃). The count is written only after the points it covers have
// reached the disk, so whatever a crash leaves, the count never promises more than the file
// holds; points beyond the count are ignored. A journal whose points are all saved holds
// nothing to restore.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "trace/chromatogram.h"

namespace vespian {

inline constexpr char kRecoveryJournalFileName[] = "recovery.jnl";
inline constexpr char kRecoveryJournalMagic[8] = {'V', 'S', 'P', 'J', 'R', 'N', 'L', '1'};
// The journal is brought up to date this often ("at least every few seconds").
inline constexpr int kJournalFlushMs = 2000;
// One update writes at most this many points (8 bytes each), so rewriting a long trace after a
// save or an edit is spread over several updates instead of stalling the window.
inline constexpr int32_t kJournalPointsPerFlush = 1'000'000;

struct JournalHeader {
    char magic[8];
    int32_t count;
    int32_t saved;
};
static_assert(sizeof(JournalHeader) == 16);
static_assert(offsetof(JournalHeader, count) == 8);
static_assert(offsetof(JournalHeader, saved) == 12);

struct JournalPoint {
    float signalMv;
    float temperatureC;
};
static_assert(sizeof(JournalPoint) == 8);
static_assert(offsetof(JournalPoint, temperatureC) == 4);

// What a journal left by an earlier run holds.
struct JournalContents {
    bool found = false;     // a journal file is there
    bool readable = false;  // it is a journal and its points can be read
    int32_t points = 0;     // restorable points
    int32_t saved = 0;      // of those, already in a trace file
    std::string message;    // why it cannot be used, for the operator; empty when readable
    // Something to offer: points that no trace file holds.
    bool worthRestoring() const { return readable && points > saved; }
};

// Looks at the journal without changing anything.
JournalContents inspectJournal(const std::string& path);

struct JournalRestore {
    bool ok = false;
    int32_t points = 0;
    std::string message;
};

// The question at start-up: "发现未保存的谱图（N 点，时长 H:MM:SS），是否恢复？".
std::string restoreQuestion(int32_t points);

class RecoveryJournal {
public:
    explicit RecoveryJournal(std::string path);
    ~RecoveryJournal();
    RecoveryJournal(const RecoveryJournal&) = delete;
    RecoveryJournal& operator=(const RecoveryJournal&) = delete;

    const std::string& path() const { return path_; }

    // A run that keeps nothing of an earlier one: the trace as it stands (empty at start) counts
    // as saved, and a journal left by an earlier run is removed.
    void startFresh(const Chromatogram& trace);
    // Replaces the trace with the journal's points and goes on from them. A journal that
    // cannot be read changes nothing in the trace and says why.
    JournalRestore restore(Chromatogram& trace);

    // Brings the file up to the trace: points not yet in it are written (at most
    // kJournalPointsPerFlush), an edit of stored points rewrites it from the start, and a trace
    // with nothing unsaved removes it. False when writing failed (the disk is full, say); the
    // next update tries again.
    bool flush(const Chromatogram& trace);

    // The trace's first `points` points were saved to a trace file (or loaded from one).
    void markSaved(const Chromatogram& trace, int32_t points);

    // Whether the trace holds points that no trace file holds.
    bool unsaved(const Chromatogram& trace) const;

    // Removes the file (the operator chose not to keep the trace).
    void retire();

    // Points the file holds for certain (written and counted).
    int32_t journaledPoints() const { return journaled_; }
    bool fileExists() const;

private:
    bool openFile();
    void closeFile();
    bool writeCount(int32_t count);

    std::string path_;
    int fd_ = -1;
    int32_t journaled_ = 0;            // points in the file that equal the trace's
    uint64_t journalGeneration_ = 0;   // the trace's edit generation the file follows
    uint64_t savedGeneration_ = 0;     // the trace's edit generation at the last save or load
    int32_t savedPoints_ = 0;
    std::vector<JournalPoint> buffer_;
};

}  // namespace vespian
