#include "method/desktop/method_editor.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QTableWidget>
#include <QTime>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

#include "control/gas_table.h"
#include "method/desktop/method_timeline_view.h"
#include "method/method_runner.h"
#include "method/method_step_fields.h"
#include "method/method_validation.h"
#include "method/prerun_checks.h"
#include "platform/desktop/program_font.h"
#include "platform/prompts.h"

namespace vespian {

namespace {

QString qs(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
std::string us(const QString& text) { return text.toStdString(); }

constexpr std::string_view kSegmentKeys[] = {"target_c", "rate_c_per_min", "hold_min"};
constexpr SaveItem kSaveItems[] = {SaveItem::Trace, SaveItem::Report, SaveItem::Pdf, SaveItem::Csv, SaveItem::Log};
constexpr std::string_view kSaveItemNames[] = {"谱图", "报告", "PDF 报告", "CSV 数据", "运行记录"};
constexpr EvaluatedKind kReports[] = {EvaluatedKind::Tpd, EvaluatedKind::Tpr, EvaluatedKind::Tpo, EvaluatedKind::Titration,
                                   EvaluatedKind::Desorption};
constexpr WaitKind kWaits[] = {WaitKind::Time, WaitKind::Temperature, WaitKind::Cooled, WaitKind::Stable};
constexpr std::string_view kWaitNames[] = {"等待时间", "等待炉温", "等待冷却", "等待基线稳定"};

int32_t nowSecondOfDay() { return QTime::currentTime().msecsSinceStartOfDay() / 1000; }

QString rangeHint(const FieldRange& range) {
    QString text = qs(fieldNumberText(range.min)) + "–" + qs(fieldNumberText(range.max));
    if (!range.unit.empty()) text += " " + qs(range.unit);
    return text;
}

}  // namespace

MethodEditor::MethodEditor(Prompts& prompts, std::string folder, QWidget* parent)
    : QDialog(parent), prompts_(prompts), folder_(std::move(folder)) {
    setObjectName("methodEditor");
    setWindowTitle(kMethodEditorTitle);
    setModal(false);
    auto* root = new QVBoxLayout(this);

    auto* header = new QHBoxLayout;
    name_ = new QLineEdit;
    name_->setObjectName("field_name");
    sample_ = new QLineEdit;
    sample_->setObjectName("field_sample.name");
    weight_ = new QLineEdit;
    weight_->setObjectName("field_sample.weight_g");
    weight_->setMaximumWidth(100);
    header->addWidget(new QLabel("方法名称"));
    header->addWidget(name_, 3);
    header->addWidget(new QLabel("样品"));
    header->addWidget(sample_, 2);
    header->addWidget(new QLabel("重量"));
    header->addWidget(weight_);
    header->addWidget(new QLabel("g"));
    root->addLayout(header);
    connect(name_, &QLineEdit::editingFinished, this, [this] { commitHeader("name", name_); });
    connect(sample_, &QLineEdit::editingFinished, this, [this] { commitHeader("sample.name", sample_); });
    connect(weight_, &QLineEdit::editingFinished, this, [this] { commitHeader("sample.weight_g", weight_); });

    auto* middle = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    steps_ = new QListWidget;
    steps_->setObjectName("steps");
    left->addWidget(steps_, 1);
    auto* stepButtons = new QHBoxLayout;
    kind_ = new QComboBox;
    kind_->setObjectName("newStepKind");
    for (std::string_view key : stepKindKeys()) kind_->addItem(qs(stepKindName(*newStep(key))), qs(key));
    stepButtons->addWidget(kind_);
    auto button = [this](QBoxLayout* row, const char* text, const char* name, auto act) {
        auto* b = new QPushButton(text);
        b->setObjectName(name);
        b->setAutoDefault(false);
        row->addWidget(b);
        connect(b, &QPushButton::clicked, this, act);
        return b;
    };
    button(stepButtons, "添加", "addStep", [this] { addStep(us(kind_->currentData().toString())); });
    button(stepButtons, "复制", "duplicateStep", [this] { duplicateStep(); });
    button(stepButtons, "删除", "removeStep", [this] { removeStep(); });
    button(stepButtons, "上移", "moveUp", [this] { moveStep(-1); });
    button(stepButtons, "下移", "moveDown", [this] { moveStep(1); });
    left->addLayout(stepButtons);
    middle->addLayout(left, 5);

    auto* right = new QVBoxLayout;
    formTitle_ = new QLabel;
    formTitle_->setFont(programFont(13, true));
    right->addWidget(formTitle_);
    formArea_ = new QScrollArea;
    formArea_->setWidgetResizable(true);
    right->addWidget(formArea_, 1);
    middle->addLayout(right, 4);
    root->addLayout(middle, 3);
    connect(steps_, &QListWidget::currentRowChanged, this, [this](int) {
        if (building_) return;
        buildForm();
        preview_->show(method_, selectedStep(), nowSecondOfDay());
    });

    auto* bottom = new QHBoxLayout;
    preview_ = new MethodTimelineView;
    bottom->addWidget(preview_, 3);
    issues_ = new QListWidget;
    issues_->setObjectName("issues");
    issues_->setWordWrap(true);
    bottom->addWidget(issues_, 2);
    root->addLayout(bottom, 2);

    auto* buttons = new QHBoxLayout;
    button(buttons, "打开…", "open", [this] { openFile(); });
    button(buttons, "保存", "save", [this] { save(); });
    button(buttons, "另存为…", "saveAs", [this] { saveAs(); });
    buttons->addStretch(1);
    auto* runButton = button(buttons, "运行方法", "run", [this] { run(); });
    runButton->setFont(programFont(13, true));
    button(buttons, "关闭", "close", [this] { close(); });
    root->addLayout(buttons);
    resize(1280, 720);
}

MethodEditor::~MethodEditor() {
    // A field losing its focus as the window goes would commit into a method already gone.
    for (QWidget* child : findChildren<QWidget*>()) child->blockSignals(true);
}

void MethodEditor::load(const MethodFile& method, const std::string& path) {
    method_ = method;
    path_ = path;
    modified_ = false;
    refreshList();
    selectStep(method_.steps.empty() ? -1 : 0);
    refresh();
}

QString MethodEditor::stepLabel(int index) const {
    const MethodStep& step = method_.steps[static_cast<size_t>(index)];
    return qs(stepTitle(index, step)) + "  " + qs(describeStep(step));
}

void MethodEditor::refreshList() {
    building_ = true;
    const int row = steps_->currentRow();
    steps_->clear();
    const std::vector<MethodIssue> issues = validateMethod(method_);
    for (size_t i = 0; i < method_.steps.size(); ++i) {
        auto* item = new QListWidgetItem(stepLabel(static_cast<int>(i)));
        for (const MethodIssue& issue : issues) {
            if (issue.step == static_cast<int32_t>(i + 1) && issue.severity == IssueSeverity::Error) {
                item->setForeground(QColor(0xc0, 0x20, 0x20));
            }
        }
        steps_->addItem(item);
    }
    steps_->setCurrentRow(std::min(row, steps_->count() - 1));
    building_ = false;
}

void MethodEditor::refresh() {
    building_ = true;
    name_->setText(qs(method_.name));
    sample_->setText(qs(method_.sample.name));
    weight_->setText(qs(fieldNumberText(method_.sample.weightG)));
    building_ = false;
    issues_->clear();
    const std::vector<MethodIssue> errors = validateMethod(method_);
    for (const MethodIssue& issue : errors) {
        auto* item = new QListWidgetItem(qs(issue.message));
        item->setForeground(QColor(0xc0, 0x20, 0x20));
        issues_->addItem(item);
    }
    for (const MethodIssue& issue : checkBeforeRun(method_)) {
        auto* item = new QListWidgetItem("注意：" + qs(issue.message));
        item->setForeground(QColor(0x9a, 0x6a, 0x00));
        issues_->addItem(item);
    }
    if (issues_->count() == 0) issues_->addItem("方法可以运行");
    preview_->show(method_, selectedStep(), nowSecondOfDay());
    QString title = QString(kMethodEditorTitle) + " - " + (path_.empty() ? QString("（未保存）") : qs(path_));
    if (modified_) title += " *";
    setWindowTitle(title);
}

void MethodEditor::changed() {
    modified_ = true;
    refreshList();
    refresh();
}

int MethodEditor::selectedStep() const { return steps_->currentRow(); }

void MethodEditor::selectStep(int index) {
    building_ = true;
    steps_->setCurrentRow(index);
    building_ = false;
    buildForm();
}

MethodStep* MethodEditor::current() {
    const int row = selectedStep();
    if (row < 0 || static_cast<size_t>(row) >= method_.steps.size()) return nullptr;
    return &method_.steps[static_cast<size_t>(row)];
}

void MethodEditor::addStep(std::string_view kindKey) {
    const std::optional<MethodStep> step = newStep(kindKey);
    if (!step) return;
    // After the selected one, at the end when none is.
    const int at = selectedStep() >= 0 ? selectedStep() + 1 : static_cast<int>(method_.steps.size());
    method_.steps.insert(method_.steps.begin() + at, *step);
    changed();
    selectStep(at);
}

void MethodEditor::duplicateStep() {
    const int row = selectedStep();
    if (row < 0) return;
    const MethodStep copy = method_.steps[static_cast<size_t>(row)];
    method_.steps.insert(method_.steps.begin() + row + 1, copy);
    changed();
    selectStep(row + 1);
}

void MethodEditor::removeStep() {
    const int row = selectedStep();
    if (row < 0) return;
    method_.steps.erase(method_.steps.begin() + row);
    changed();
    selectStep(std::min(row, static_cast<int>(method_.steps.size()) - 1));
}

void MethodEditor::moveStep(int delta) {
    const int row = selectedStep();
    const int to = row + delta;
    if (row < 0 || to < 0 || static_cast<size_t>(to) >= method_.steps.size()) return;
    std::swap(method_.steps[static_cast<size_t>(row)], method_.steps[static_cast<size_t>(to)]);
    changed();
    selectStep(to);
}

void MethodEditor::refuse(const std::string& text) { prompts_.message(kMethodErrorCaption, text, PromptIcon::Warning); }

bool MethodEditor::take(const MethodFile& candidate, int32_t step, const std::string& field) {
    const std::vector<MethodIssue> found = issuesOfField(validateMethod(candidate), step, field);
    if (!found.empty()) {
        refuse(issuesText("", found));
        return false;
    }
    method_ = candidate;
    return true;
}

void MethodEditor::commitHeader(const std::string& field, QLineEdit* edit) {
    if (building_) return;
    MethodFile candidate = method_;
    const std::string text = us(edit->text().trimmed());
    if (field == "name") {
        if (text == method_.name) return;
        candidate.name = text;
    } else if (field == "sample.name") {
        if (text == method_.sample.name) return;
        candidate.sample.name = text;
    } else {
        const std::optional<double> value = parseFieldNumber(text);
        if (value && *value == method_.sample.weightG) return;
        if (!value) {
            refuse("样品重量：“" + text + "”不是数字");
            refresh();
            return;
        }
        candidate.sample.weightG = *value;
    }
    if (take(candidate, 0, field)) {
        changed();
    } else {
        refresh();
    }
}

void MethodEditor::commitNumber(const std::string& key, QLineEdit* edit) {
    MethodStep* step = current();
    if (building_ || step == nullptr) return;
    const int row = selectedStep();
    const std::string text = us(edit->text().trimmed());
    const std::optional<double> old = stepNumber(*step, key);
    const std::optional<double> value = parseFieldNumber(text);
    if (value == old) return;
    std::string label = key;
    for (const FieldRange& range : stepFieldRanges(*step)) {
        if (range.key == key) label = std::string(range.label);
    }
    const std::string where = stepTitle(row, *step) + label + "：";
    auto revert = [&] {
        building_ = true;
        edit->setText(old ? qs(fieldNumberText(*old)) : QString());
        building_ = false;
    };
    if (!value && !(text.empty() && optionalStepNumber(*step, key))) {
        refuse(where + (text.empty() ? std::string("不能为空") : "“" + text + "”不是数字"));
        revert();
        return;
    }
    MethodFile candidate = method_;
    if (!setStepNumber(candidate.steps[static_cast<size_t>(row)], key, value)) {
        refuse(where + text + " 应为整数");
        revert();
        return;
    }
    if (!take(candidate, row + 1, key)) {
        revert();
        return;
    }
    changed();
}

void MethodEditor::commitSegment(int segmentRow, int column) {
    MethodStep* step = current();
    auto* furnace = step != nullptr ? std::get_if<FurnaceStep>(step) : nullptr;
    if (building_ || furnace == nullptr || segmentRow < 0 || static_cast<size_t>(segmentRow) >= furnace->segments.size())
        return;
    const int row = selectedStep();
    const std::string_view key = kSegmentKeys[column];
    const double old = segmentNumber(furnace->segments[static_cast<size_t>(segmentRow)], key);
    const std::string text = us(segments_->item(segmentRow, column)->text().trimmed());
    const std::optional<double> value = parseFieldNumber(text);
    auto revert = [&] {
        building_ = true;
        segments_->item(segmentRow, column)->setText(qs(fieldNumberText(old)));
        building_ = false;
    };
    if (value == old) return;
    if (!value) {
        refuse(stepTitle(row, *step) + "第" + std::to_string(segmentRow + 1) + "段：“" + text + "”不是数字");
        revert();
        return;
    }
    MethodFile candidate = method_;
    setSegmentNumber(std::get<FurnaceStep>(candidate.steps[static_cast<size_t>(row)]).segments[static_cast<size_t>(segmentRow)],
                     key, *value);
    if (!take(candidate, row + 1, "segments[" + std::to_string(segmentRow) + "]." + std::string(key))) {
        revert();
        return;
    }
    changed();
}

void MethodEditor::placeForm() {
    // The old form may be the sender of the change that rebuilt it: it goes once that is done.
    if (QWidget* old = formArea_->takeWidget()) old->deleteLater();
    formArea_->setWidget(form_);
    building_ = false;
}

QWidget* MethodEditor::field(const std::string& key) const {
    return form_ != nullptr ? form_->findChild<QWidget*>(qs("field_" + key)) : nullptr;
}

void MethodEditor::buildForm() {
    building_ = true;
    form_ = new QWidget;
    segments_ = nullptr;
    auto* layout = new QFormLayout(form_);
    MethodStep* step = current();
    formTitle_->setText(step != nullptr ? qs(stepTitle(selectedStep(), *step)) : QString("（没有选中的步骤）"));
    if (step == nullptr) {
        placeForm();
        return;
    }
    const int row = selectedStep();
    // A choice that changes the step: taken when the validation has nothing against it.
    auto choice = [&](const char* label, const std::string& key, const QStringList& items, int currentIndex,
                      std::function<void(MethodStep&, int)> apply) {
        auto* box = new QComboBox;
        box->setObjectName(qs("field_" + key));
        box->addItems(items);
        box->setCurrentIndex(currentIndex);
        layout->addRow(label, box);
        connect(box, &QComboBox::activated, this, [this, row, key, apply](int index) {
            MethodFile candidate = method_;
            apply(candidate.steps[static_cast<size_t>(row)], index);
            if (take(candidate, row + 1, key)) changed();
            buildForm();
        });
    };

    std::visit(
        [&](auto& s) {
            using T = std::decay_t<decltype(s)>;
            if constexpr (std::is_same_v<T, GasStep>) {
                QStringList gases;
                for (int32_t i = 0; i < kGasCount; ++i) gases << qs(kGasTable[static_cast<size_t>(i)].name);
                const int at = gasIndexOf(s.gas);
                choice("气体", "gas", gases, at, [](MethodStep& m, int index) {
                    std::get<GasStep>(m).gas = std::string(kGasTable[static_cast<size_t>(index)].name);
                });
            } else if constexpr (std::is_same_v<T, ValveStep>) {
                choice("动作", "on", {"关", "开"}, s.on ? 1 : 0,
                       [](MethodStep& m, int index) { std::get<ValveStep>(m).on = index == 1; });
            } else if constexpr (std::is_same_v<T, FurnaceStep>) {
                choice("动作", "action", {"启动程序升温", "停止程序升温"}, s.stop ? 1 : 0, [](MethodStep& m, int index) {
                    setFurnaceStop(std::get<FurnaceStep>(m), index == 1);
                });
            } else if constexpr (std::is_same_v<T, WaitStep>) {
                choice("等待", "until", {qs(kWaitNames[0]), qs(kWaitNames[1]), qs(kWaitNames[2]), qs(kWaitNames[3])},
                       static_cast<int>(s.until), [](MethodStep& m, int index) {
                           auto& wait = std::get<WaitStep>(m);
                           wait.until = kWaits[index];
                           fillWaitDefaults(wait);
                       });
            } else if constexpr (std::is_same_v<T, RecordStep>) {
                choice("动作", "action", {"开始记录", "停止记录"}, s.start ? 0 : 1,
                       [](MethodStep& m, int index) { std::get<RecordStep>(m).start = index == 0; });
            } else if constexpr (std::is_same_v<T, MarkStep>) {
                auto* edit = new QLineEdit(qs(s.name));
                edit->setObjectName("field_name");
                layout->addRow("名称", edit);
                connect(edit, &QLineEdit::editingFinished, this, [this, row, edit] {
                    if (building_ || static_cast<size_t>(row) >= method_.steps.size()) return;
                    MethodFile candidate = method_;
                    auto& mark = std::get<MarkStep>(candidate.steps[static_cast<size_t>(row)]);
                    const std::string text = us(edit->text().trimmed());
                    if (text == mark.name) return;
                    mark.name = text;
                    if (take(candidate, row + 1, "name")) {
                        changed();
                    } else {
                        building_ = true;
                        edit->setText(qs(std::get<MarkStep>(method_.steps[static_cast<size_t>(row)]).name));
                        building_ = false;
                    }
                });
            } else if constexpr (std::is_same_v<T, EvaluateStep>) {
                QStringList names;
                int at = 0;
                for (int i = 0; i < 5; ++i) {
                    names << qs(reportKindName(kReports[i]));
                    if (kReports[i] == s.report) at = i;
                }
                choice("报告", "report", names, at,
                       [](MethodStep& m, int index) { std::get<EvaluateStep>(m).report = kReports[index]; });
            } else if constexpr (std::is_same_v<T, SaveStep>) {
                for (size_t i = 0; i < std::size(kSaveItems); ++i) {
                    auto* box = new QCheckBox(qs(kSaveItemNames[i]));
                    box->setObjectName(qs("field_item_" + std::string(saveItemKey(kSaveItems[i]))));
                    box->setChecked(std::find(s.items.begin(), s.items.end(), kSaveItems[i]) != s.items.end());
                    layout->addRow(i == 0 ? "保存项" : "", box);
                    connect(box, &QCheckBox::toggled, this, [this, row, i](bool on) {
                        if (building_) return;
                        MethodFile candidate = method_;
                        auto& items = std::get<SaveStep>(candidate.steps[static_cast<size_t>(row)]).items;
                        std::erase(items, kSaveItems[i]);
                        if (on) items.push_back(kSaveItems[i]);
                        if (take(candidate, row + 1, "items")) changed();
                        buildForm();
                    });
                }
            }
        },
        *step);

    if (auto* furnace = std::get_if<FurnaceStep>(step); furnace != nullptr && !furnace->stop) {
        segments_ = new QTableWidget(static_cast<int>(furnace->segments.size()), 3);
        segments_->setObjectName("field_segments");
        const std::vector<FieldRange> ranges = stepFieldRanges(*step);
        QStringList headers;
        for (const FieldRange& range : ranges) headers << qs(range.label) + " (" + qs(range.unit) + ")";
        segments_->setHorizontalHeaderLabels(headers);
        segments_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
        for (size_t r = 0; r < furnace->segments.size(); ++r) {
            for (int c = 0; c < 3; ++c) {
                auto* item = new QTableWidgetItem(qs(fieldNumberText(segmentNumber(furnace->segments[r], kSegmentKeys[c]))));
                item->setToolTip(rangeHint(ranges[static_cast<size_t>(c)]));
                segments_->setItem(static_cast<int>(r), c, item);
            }
        }
        segments_->setMinimumHeight(160);
        layout->addRow("温控段", segments_);
        connect(segments_, &QTableWidget::cellChanged, this, [this](int r, int c) { commitSegment(r, c); });
        auto* segmentButtons = new QHBoxLayout;
        auto* add = new QPushButton("添加段");
        add->setObjectName("addSegment");
        auto* remove = new QPushButton("删除末段");
        remove->setObjectName("removeSegment");
        segmentButtons->addWidget(add);
        segmentButtons->addWidget(remove);
        segmentButtons->addStretch(1);
        layout->addRow("", segmentButtons);
        connect(add, &QPushButton::clicked, this, [this, row] {
            auto& list = std::get<FurnaceStep>(method_.steps[static_cast<size_t>(row)]).segments;
            if (list.size() >= static_cast<size_t>(kMaxSegmentsPerStep)) return;
            list.push_back(list.empty() ? FurnaceSegment{300, 10, 30} : list.back());
            changed();
            buildForm();
        });
        connect(remove, &QPushButton::clicked, this, [this, row] {
            auto& list = std::get<FurnaceStep>(method_.steps[static_cast<size_t>(row)]).segments;
            if (list.size() <= 1) return;
            list.pop_back();
            changed();
            buildForm();
        });
    } else if (!std::holds_alternative<FurnaceStep>(*step)) {
        for (const FieldRange& range : stepFieldRanges(*step)) {
            const std::string key(range.key);
            const std::optional<double> value = stepNumber(*step, key);
            auto* edit = new QLineEdit(value ? qs(fieldNumberText(*value)) : QString());
            edit->setObjectName(qs("field_" + key));
            const bool optional = optionalStepNumber(*step, key);
            edit->setPlaceholderText(optional ? "不限" : QString());
            edit->setToolTip("范围 " + rangeHint(range) + (optional ? "；留空为不限" : ""));
            auto* row = new QHBoxLayout;
            row->addWidget(edit, 1);
            auto* unit = new QLabel((range.unit.empty() ? QString() : qs(range.unit) + "  ") + "(" + rangeHint(range) + ")");
            unit->setStyleSheet("color: #6a7684");
            row->addWidget(unit);
            layout->addRow(qs(range.label), row);
            // A field of a step no longer selected has nothing to commit to.
            connect(edit, &QLineEdit::editingFinished, this, [this, key, edit, at = selectedStep()] {
                if (at == selectedStep()) commitNumber(key, edit);
            });
        }
    }
    placeForm();
}

bool MethodEditor::openFile() {
    const std::optional<std::string> chosen =
        prompts_.openFileName({"打开方法", kMethodFilterName, "*.json", path_.empty() ? folder_ : path_});
    if (!chosen) return false;
    const MethodReadResult read = readMethodFile(*chosen);
    if (!read.ok) {
        refuse(read.message);
        return false;
    }
    load(read.method, *chosen);
    return true;
}

bool MethodEditor::save() {
    if (path_.empty()) return saveAs();
    const std::string problem = writeMethodFile(path_, method_);
    if (!problem.empty()) {
        prompts_.message("保存方法", problem, PromptIcon::Error);
        return false;
    }
    modified_ = false;
    refresh();
    return true;
}

bool MethodEditor::saveAs() {
    std::optional<std::string> chosen = prompts_.saveFileName(
        {"保存方法", kMethodFilterName, "*.json", folder_, method_.sample.name.empty() ? "方法" : method_.sample.name});
    if (!chosen) return false;
    if (!chosen->ends_with(kMethodFileExtension)) *chosen += kMethodFileExtension;
    path_ = *chosen;
    return save();
}

void MethodEditor::run() {
    const std::vector<MethodIssue> errors = validateMethod(method_);
    if (hasErrors(errors)) {
        refuse(issuesText("方法有错误，不能运行：", errors));
        return;
    }
    const std::vector<MethodIssue> warnings = checkBeforeRun(method_);
    if (!warnings.empty()) {
        const std::string text = issuesText("运行前检查发现：", warnings) + "\n\n仍然运行这个方法吗？";
        if (!prompts_.askYesNo("运行前检查", text, PromptIcon::Warning)) return;
    }
    if (runHandler_) runHandler_(method_, path_);
}

void MethodEditor::closeEvent(QCloseEvent* event) {
    if (modified_) {
        const PromptAnswer answer = prompts_.askYesNoCancel("方法编辑", "方法已修改，保存吗？", PromptIcon::Question);
        if (answer == PromptAnswer::Cancel || (answer == PromptAnswer::Yes && !save())) {
            event->ignore();
            return;
        }
    }
    modified_ = false;
    event->accept();
}

}  // namespace vespian
