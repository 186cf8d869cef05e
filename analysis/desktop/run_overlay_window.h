#pragma once
// The window "谱图叠加": several saved report files drawn over one temperature axis, as
// recorded or per gram of sample, each in its own colour with a legend of sample name and test
// date; printed on one page or saved as a PNG picture.

#include <QDialog>

#include <string>
#include <vector>

#include "analysis/saved_run.h"

class QCheckBox;
class QListWidget;

namespace vespian {

class EvaluationPlotView;
class Prompts;

// The picture's size when saved or printed.
inline constexpr int kOverlayPictureWidth = 1600;
inline constexpr int kOverlayPictureHeight = 1000;

class RunOverlayWindow : public QDialog {
    Q_OBJECT

public:
    RunOverlayWindow(QWidget* parent, Prompts& prompts, std::string dataFolder);

    // Widgets by objectName: "runList", "addButton", "removeButton", "perGramBox",
    // "overlayPlot", "printButton", "savePictureButton".

    bool addRunFile(const std::string& path);
    int runCount() const { return static_cast<int>(runs_.size()); }
    EvaluationPlotView* plot() const { return plot_; }

    void savePicture();
    void print();

private:
    void addRuns();
    void removeSelected();
    void rebuild();

    Prompts& prompts_;
    std::string dataFolder_;
    std::vector<SavedRun> runs_;

    QListWidget* list_;
    QCheckBox* perGram_;
    EvaluationPlotView* plot_;
};

}  // namespace vespian
