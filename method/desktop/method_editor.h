#pragma once
// The method editor (menu 控制 → "新建方法…", "打开方法…"): the method's name and sample above,
// its steps as a list with add, duplicate, remove and move up/down, the selected step's fields
// with their units and ranges, the preview of the planned temperature and gases with the total
// duration and expected end, and every problem the validation and the checks before the run
// find. A value the validation refuses is not taken: its message names the step and the field,
// and the field shows the value it had. The file is read and written by method/method_file.h.

#include <QDialog>
#include <functional>
#include <string>
#include <string_view>

#include "method/method_file.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QScrollArea;
class QTableWidget;
class QWidget;

namespace vespian {

class MethodTimelineView;
class Prompts;

inline constexpr char kMethodEditorTitle[] = "方法编辑";
inline constexpr char kMethodFilterName[] = "方法文件 (*.json)";
inline constexpr char kMethodErrorCaption[] = "方法错误";

class MethodEditor : public QDialog {
public:
    // `folder`: where the file dialogs start.
    MethodEditor(Prompts& prompts, std::string folder, QWidget* parent = nullptr);
    ~MethodEditor() override;

    // A method to edit; an empty path: not saved yet (a template's copy).
    void load(const MethodFile& method, const std::string& path);
    const MethodFile& method() const { return method_; }
    const std::string& path() const { return path_; }
    bool modified() const { return modified_; }

    // "运行方法": a method with errors is refused with them; the checks' warnings are asked
    // about; then the handler gets the method.
    void setRunHandler(std::function<void(const MethodFile&, const std::string&)> handler) {
        runHandler_ = std::move(handler);
    }

    // The operator's buttons, for the tests as well.
    void addStep(std::string_view kindKey);
    void duplicateStep();
    void removeStep();
    void moveStep(int delta);
    void selectStep(int index);
    int selectedStep() const;
    bool openFile();
    bool save();
    bool saveAs();
    void run();

    QListWidget* stepList() const { return steps_; }
    QListWidget* issueList() const { return issues_; }
    MethodTimelineView* preview() const { return preview_; }
    // The field of the selected step with the file's key ("flow", "segments" for the table).
    QWidget* field(const std::string& key) const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildForm();
    void placeForm();
    void refresh();
    void refreshList();
    void changed();
    // Applies a changed method when the validation has nothing against `field` of `step`
    // (1-based; 0 the method's own); otherwise says why and keeps the old one. True when taken.
    bool take(const MethodFile& candidate, int32_t step, const std::string& field);
    void refuse(const std::string& text);
    void commitNumber(const std::string& key, QLineEdit* edit);
    void commitSegment(int row, int column);
    void commitHeader(const std::string& field, QLineEdit* edit);
    MethodStep* current();
    QString stepLabel(int index) const;

    Prompts& prompts_;
    std::string folder_;
    MethodFile method_;
    std::string path_;
    bool modified_ = false;
    bool building_ = false;
    std::function<void(const MethodFile&, const std::string&)> runHandler_;

    QLineEdit* name_ = nullptr;
    QLineEdit* sample_ = nullptr;
    QLineEdit* weight_ = nullptr;
    QComboBox* kind_ = nullptr;
    QListWidget* steps_ = nullptr;
    QScrollArea* formArea_ = nullptr;
    QWidget* form_ = nullptr;
    QLabel* formTitle_ = nullptr;
    QTableWidget* segments_ = nullptr;
    QListWidget* issues_ = nullptr;
    MethodTimelineView* preview_ = nullptr;
};

}  // namespace vespian
