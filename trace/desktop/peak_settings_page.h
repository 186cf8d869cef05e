#pragma once
// The settings page "识峰参数": the recogniser's thresholds ("峰宽(秒)" 最小/最大, "峰高(uV)"
// 最小, "斜率(uV/秒)" 起始/终止), the automatic desorption's times ("吸附时间(分):",
// "脱附间隔(分)：") and options ("允许自动脱附", "允许自动调零", "允许自动识峰后自动脱附"), and
// "默认值". The settings dialog adds it as a page and calls apply() on its OK; InitData.Set
// keeps the values.

#include <QWidget>

#include <array>

#include "trace/init_data.h"
#include "trace/peak_settings_form.h"

class QCheckBox;
class QLineEdit;

namespace vespian {

class Prompts;

class PeakSettingsPage : public QWidget {
    Q_OBJECT

public:
    PeakSettingsPage(QWidget* parent, const PeakSettings& current);

    // Reads the page into `settings`. A refused entry is said (caption "警告"), its field takes
    // the focus, and `settings` stays as it was: false.
    bool apply(PeakSettings& settings, Prompts& prompts);

    void showSettings(const PeakSettings& settings);
    PeakSettingsTexts texts() const;

    // Widgets by objectName: "minWidthEdit", "maxWidthEdit", "minHeightEdit", "startSlopeEdit",
    // "endSlopeEdit", "adsorptionEdit", "intervalEdit", "autoDesorbCheck", "autoZeroCheck",
    // "desorbAfterPeakCheck", "peakDefaultsButton".

private:
    std::array<QLineEdit*, kPeakFieldCount> fields_{};
    QCheckBox* autoDesorb_;
    QCheckBox* autoZero_;
    QCheckBox* desorbAfterPeak_;
};

}  // namespace vespian
