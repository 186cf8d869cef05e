#pragma once
// The settings dialog "设置": the colours of the trace view (background and line, picked from a
// palette) and its time and voltage ranges. A page exists only once the operator has looked at
// it, and OK applies only the pages that exist, so settings on a page never shown stay exactly as
// they were. The dialog reopens on the tab that was showing at the last OK of this run.

#include <QDialog>

#include <cstdint>
#include <functional>
#include <string>

#include "trace/init_data.h"
#include "files/report_letterhead.h"
#include "platform/pixel_surface.h"
#include "platform/prompts.h"

class QTabWidget;

namespace vespian {

class ArchiveSettingsPage;
class LetterheadPage;
class PeakSettingsPage;
class SettingsColourPage;
class SettingsWindowPage;

// The pages beyond the trace view's: each is there only when it is given.
struct SettingsExtraPages {
    // "识峰参数": the recogniser's settings, handed to applyPeak on OK.
    PeakSettings peak{};
    std::function<void(const PeakSettings& settings)> applyPeak;
    // "报告抬头": the letterhead of the printed reports, written to letterheadPath on OK.
    ReportLetterhead* letterhead = nullptr;
    std::string letterheadPath;
    // "档案": the laboratory archive's connection string, written to archivePath on OK when
    // changed (the archive opens it at the next start). The page is there when the path is
    // given, after the letterhead's.
    std::string laboratoryConnection;
    std::string archivePath;
};

struct DisplaySettings {
    StoredColour background;
    StoredColour line;
    int32_t timeRangeS;
    int32_t voltRangeUv;
};

class SettingsDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kColourTab = 0;
    static constexpr int kWindowTab = 1;
    static constexpr int kPeakTab = 2;
    static constexpr int kLetterheadTab = 3;
    static constexpr int kArchiveTab = 4;

    using ColoursCallback = std::function<void(StoredColour background, StoredColour line)>;
    using RangesCallback = std::function<void(int32_t timeRangeS, int32_t voltRangeUv)>;

    // Messages about unusable ranges go through prompts (caption "警告").
    SettingsDialog(QWidget* parent, const DisplaySettings& current, Prompts& prompts, ColoursCallback applyColours,
                   RangesCallback applyRanges, SettingsExtraPages extra = {});

    int currentTab() const;
    bool pageCreated(int tab) const;

    // The tab the next opening shows: the one showing at the last OK of this run.
    static int rememberedTab();
    // Back to a fresh run's state (the colour tab).
    static void forgetRememberedTab();

    // Page widgets, found by objectName: "colourPage" (radio buttons "backgroundRadio" and
    // "lineRadio", "palette", "defaultButton"), "windowPage" ("timeRangeEdit", "voltRangeEdit"),
    // "peakSettingsPage" (see PeakSettingsPage), "letterheadPage" (see LetterheadPage),
    // "archivePage" ("laboratoryEdit"),
    // and the dialog's "settingsTabs", "okButton", "cancelButton".

private:
    void ensurePage(int tab);
    void onOk();

    DisplaySettings current_;
    Prompts& prompts_;
    ColoursCallback applyColours_;
    RangesCallback applyRanges_;
    SettingsExtraPages extra_;
    QTabWidget* tabs_;
    QWidget* containers_[5] = {};
    SettingsColourPage* colourPage_ = nullptr;
    SettingsWindowPage* windowPage_ = nullptr;
    PeakSettingsPage* peakPage_ = nullptr;
    LetterheadPage* letterheadPage_ = nullptr;
    ArchiveSettingsPage* archivePage_ = nullptr;
};

}  // namespace vespian
