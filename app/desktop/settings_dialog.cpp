#include "platform/desktop/canvas.h"
#include "platform/desktop/screen.h"
#include "app/desktop/settings_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include <cmath>

#include "app/colour_palette.h"
#include "app/run_archiving.h"
#include "app/settings_apply.h"
#include "app/desktop/artwork.h"
#include "files/desktop/letterhead_page.h"
#include "trace/desktop/peak_settings_page.h"

namespace vespian {

namespace {

constexpr int kDialogWidth = 475;
constexpr int kDialogHeight = 500;
constexpr int kPageWidth = 400;
constexpr int kPageHeight = 370;

int s_rememberedTab = SettingsDialog::kColourTab;

constexpr char kArchiveSettingsNotSaved[] = "无法保存档案设置到Archive.ini文件";


// The swatches, laid out in the colour page's coordinates from kPaletteRect on.
class PaletteView : public QWidget {
public:
    PaletteView(QWidget* parent, std::function<void(StoredColour)> picked) : QWidget(parent), picked_(std::move(picked)) {
        setObjectName("palette");
        setGeometry(kPaletteRect.left, kPaletteRect.top, kPaletteRect.right - kPaletteRect.left,
                    kPaletteRect.bottom - kPaletteRect.top);
        setCursor(Qt::CrossCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        for (int column = 0; column < kPaletteColumns; ++column) {
            for (int row = 0; row < kPaletteRows; ++row) {
                const PixelRect r = swatchRect(column, row);
                p.fillRect(QRect(r.left - kPaletteRect.left, r.top - kPaletteRect.top, r.right - r.left, r.bottom - r.top),
                           qColour(paletteColour(column, row)));
            }
        }
    }

    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) return;
        const QPoint at = event->position().toPoint();
        if (const auto colour = swatchAt(at.x() + kPaletteRect.left, at.y() + kPaletteRect.top)) picked_(*colour);
    }

private:
    std::function<void(StoredColour)> picked_;
};

}  // namespace

// ---- colour page ----------------------------------------------------------------------------

class SettingsColourPage : public QWidget {
public:
    static constexpr QPoint kBackgroundSwatch{150, 20};
    static constexpr QPoint kLineSwatch{150, 50};

    SettingsColourPage(QWidget* parent, StoredColour background, StoredColour line)
        : QWidget(parent), background_(background), line_(line) {
        setObjectName("colourPage");
        setGeometry(28, 8, kPageWidth, kPageHeight);
        backgroundRadio_ = new QRadioButton("背景", this);
        backgroundRadio_->setObjectName("backgroundRadio");
        backgroundRadio_->setGeometry(60, 14, 80, 22);
        backgroundRadio_->setChecked(true);
        lineRadio_ = new QRadioButton("谱线", this);
        lineRadio_->setObjectName("lineRadio");
        lineRadio_->setGeometry(60, 44, 80, 22);
        auto* hint = new QLabel("单击色块, 为选中的项目选择颜色:", this);
        hint->setGeometry(60, 84, 300, 20);
        new PaletteView(this, [this](StoredColour colour) { assign(colour); });
        auto* defaults = new QPushButton("默认值", this);
        defaults->setObjectName("defaultButton");
        defaults->setGeometry(160, 326, 80, 28);
        connect(defaults, &QPushButton::clicked, this, [this] {
            background_ = kDefaultBackgroundColour;
            line_ = kDefaultLineColour;
            update();
        });
    }

    StoredColour background() const { return background_; }
    StoredColour line() const { return line_; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        drawSwatch(p, kBackgroundSwatch, background_);
        drawSwatch(p, kLineSwatch, line_);
        drawPreview(p, QRect(200, 12, 160, 56));
    }

private:
    void assign(StoredColour colour) {
        if (lineRadio_->isChecked()) line_ = colour;
        else background_ = colour;
        update();
    }

    static void drawSwatch(QPainter& p, QPoint at, StoredColour colour) {
        p.setPen(QColor(90, 90, 90));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRect(at - QPoint(1, 1), QSize(kSwatchWidth + 1, kSwatchHeight + 1)));
        p.fillRect(QRect(at, QSize(kSwatchWidth, kSwatchHeight)), qColour(colour));
    }

    // How the trace will look: a few peaks in the line colour on the background colour.
    void drawPreview(QPainter& p, const QRect& box) const {
        p.fillRect(box, qColour(background_));
        p.setPen(QColor(90, 90, 90));
        p.setBrush(Qt::NoBrush);
        p.drawRect(box.adjusted(0, 0, -1, -1));
        QPainterPath trace;
        const double base = box.bottom() - 8;
        for (int x = box.left() + 4; x <= box.right() - 4; ++x) {
            const double u1 = (x - box.left() - 50) / 9.0;
            const double u2 = (x - box.left() - 105) / 12.0;
            const double y = base - 30 * std::exp(-0.5 * u1 * u1) - 18 * std::exp(-0.5 * u2 * u2);
            if (x == box.left() + 4) trace.moveTo(x, y);
            else trace.lineTo(x, y);
        }
        p.save();
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(qColour(line_), 1.5));
        p.drawPath(trace);
        p.restore();
    }

    StoredColour background_;
    StoredColour line_;
    QRadioButton* backgroundRadio_;
    QRadioButton* lineRadio_;
};

// ---- window page ----------------------------------------------------------------------------

class SettingsWindowPage : public QWidget {
public:
    SettingsWindowPage(QWidget* parent, int32_t timeRangeS, int32_t voltRangeUv) : QWidget(parent) {
        setObjectName("windowPage");
        setGeometry(28, 8, kPageWidth, kPageHeight);
        auto* timeLabel = new QLabel("时间量程(秒):", this);
        timeLabel->setGeometry(60, 50, 120, 26);
        time_ = new QLineEdit(QString::number(timeRangeS), this);
        time_->setObjectName("timeRangeEdit");
        time_->setGeometry(190, 50, 150, 26);
        auto* voltLabel = new QLabel("电压量程(uV):", this);
        voltLabel->setGeometry(60, 92, 120, 26);
        volt_ = new QLineEdit(QString::number(voltRangeUv), this);
        volt_->setObjectName("voltRangeEdit");
        volt_->setGeometry(190, 92, 150, 26);
        auto* note = new QLabel(QString::fromStdString(displayRangesNote()), this);
        note->setGeometry(60, 140, 300, 44);
        note->setStyleSheet("color: #5a6470;");
    }

    int32_t timeRangeS() const { return readSignedField(time_->text().toStdString()); }
    int32_t voltRangeUv() const { return readSignedField(volt_->text().toStdString()); }
    QLineEdit* timeEdit() const { return time_; }
    QLineEdit* voltEdit() const { return volt_; }

private:
    QLineEdit* time_;
    QLineEdit* volt_;
};

// ---- archive page ---------------------------------------------------------------------------

class ArchiveSettingsPage : public QWidget {
public:
    ArchiveSettingsPage(QWidget* parent, const std::string& connection) : QWidget(parent) {
        setObjectName("archivePage");
        setGeometry(28, 8, kPageWidth, kPageHeight);
        auto* label = new QLabel("实验室档案服务器（PostgreSQL 连接串，空则只用本机档案）", this);
        label->setGeometry(20, 40, 370, 44);
        label->setWordWrap(true);
        edit_ = new QLineEdit(QString::fromStdString(connection), this);
        edit_->setObjectName("laboratoryEdit");
        edit_->setGeometry(20, 90, 360, 26);
        edit_->setPlaceholderText("host=… port=5432 dbname=… user=…");
        auto* note = new QLabel("下次启动程序时生效。服务器不应答时本机先存档，应答后补送。", this);
        note->setGeometry(20, 130, 360, 44);
        note->setWordWrap(true);
        note->setStyleSheet("color: #5a6470;");
    }

    std::string connection() const { return edit_->text().trimmed().toStdString(); }
    QLineEdit* edit() const { return edit_; }

private:
    QLineEdit* edit_;
};

// ---- dialog ---------------------------------------------------------------------------------

SettingsDialog::SettingsDialog(QWidget* parent, const DisplaySettings& current, Prompts& prompts,
                               ColoursCallback applyColours, RangesCallback applyRanges,
                               SettingsExtraPages extra)
    : QDialog(parent), current_(current), prompts_(prompts), applyColours_(std::move(applyColours)),
      applyRanges_(std::move(applyRanges)), extra_(std::move(extra)) {
    setObjectName("settingsDialog");
    setWindowTitle("设置");
    setFont(programFont(13));
    setFixedSize(kDialogWidth, kDialogHeight);
    centreOnScreen(this, QSize(kDialogWidth, kDialogHeight));

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName("settingsTabs");
    tabs_->setGeometry(5, 0, 460, 430);
    for (int tab : {kColourTab, kWindowTab}) containers_[tab] = new QWidget();
    tabs_->addTab(containers_[kColourTab], "颜色选择");
    tabs_->addTab(containers_[kWindowTab], "窗口参数");
    // The letterhead's tab keeps its place only after the peak tab, so a remembered tab
    // index always names the same page.
    if (extra_.applyPeak) {
        containers_[kPeakTab] = new QWidget();
        tabs_->addTab(containers_[kPeakTab], "识峰参数");
        if (extra_.letterhead != nullptr) {
            containers_[kLetterheadTab] = new QWidget();
            tabs_->addTab(containers_[kLetterheadTab], "报告抬头");
            if (!extra_.archivePath.empty()) {
                containers_[kArchiveTab] = new QWidget();
                tabs_->addTab(containers_[kArchiveTab], "档案");
            }
        }
    }

    auto* ok = new QPushButton("确定", this);
    ok->setObjectName("okButton");
    ok->setGeometry(270, 448, 88, 30);
    ok->setDefault(true);
    auto* cancel = new QPushButton("取消", this);
    cancel->setObjectName("cancelButton");
    cancel->setGeometry(370, 448, 88, 30);
    connect(ok, &QPushButton::clicked, this, &SettingsDialog::onOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    // A page comes into being when its tab is first shown, beginning with the remembered one.
    tabs_->setCurrentIndex(s_rememberedTab < tabs_->count() ? s_rememberedTab : kColourTab);
    ensurePage(tabs_->currentIndex());
    connect(tabs_, &QTabWidget::currentChanged, this, &SettingsDialog::ensurePage);
}

int SettingsDialog::currentTab() const { return tabs_->currentIndex(); }

bool SettingsDialog::pageCreated(int tab) const {
    if (tab == kColourTab) return colourPage_ != nullptr;
    if (tab == kWindowTab) return windowPage_ != nullptr;
    if (tab == kPeakTab) return peakPage_ != nullptr;
    if (tab == kLetterheadTab) return letterheadPage_ != nullptr;
    if (tab == kArchiveTab) return archivePage_ != nullptr;
    return false;
}

int SettingsDialog::rememberedTab() { return s_rememberedTab; }

void SettingsDialog::forgetRememberedTab() { s_rememberedTab = kColourTab; }

void SettingsDialog::ensurePage(int tab) {
    if (tab == kColourTab && !colourPage_) {
        colourPage_ = new SettingsColourPage(containers_[kColourTab], current_.background, current_.line);
        colourPage_->show();
    } else if (tab == kWindowTab && !windowPage_) {
        windowPage_ = new SettingsWindowPage(containers_[kWindowTab], current_.timeRangeS, current_.voltRangeUv);
        windowPage_->show();
    } else if (tab == kPeakTab && containers_[kPeakTab] && !peakPage_) {
        peakPage_ = new PeakSettingsPage(containers_[kPeakTab], extra_.peak);
        peakPage_->move(28, 8);
        peakPage_->show();
    } else if (tab == kLetterheadTab && containers_[kLetterheadTab] && !letterheadPage_) {
        letterheadPage_ = new LetterheadPage(containers_[kLetterheadTab], *extra_.letterhead);
        letterheadPage_->move(28, 8);
        letterheadPage_->show();
    } else if (tab == kArchiveTab && containers_[kArchiveTab] && !archivePage_) {
        archivePage_ = new ArchiveSettingsPage(containers_[kArchiveTab], extra_.laboratoryConnection);
        archivePage_->show();
    }
}

void SettingsDialog::onOk() {
    // Check everything before applying anything, so a refused entry leaves all settings as they were.
    if (windowPage_) {
        const RangeCheck check = checkDisplayRanges(windowPage_->timeRangeS(), windowPage_->voltRangeUv());
        if (!check.ok()) {
            QLineEdit* wrong = check.wrong == RangeField::Time ? windowPage_->timeEdit() : windowPage_->voltEdit();
            tabs_->setCurrentIndex(kWindowTab);
            prompts_.message("警告", check.message, PromptIcon::Warning);
            wrong->setFocus();
            wrong->selectAll();
            return;
        }
    }
    PeakSettings peak = extra_.peak;
    if (peakPage_ && !peakPage_->apply(peak, prompts_)) {
        tabs_->setCurrentIndex(kPeakTab);  // the page has said what is wrong and focused it
        return;
    }
    // The letterhead is written to its file first: a file that cannot be written is said, and
    // the dialog stays with every other setting as it was.
    if (letterheadPage_ && !letterheadPage_->apply(*extra_.letterhead, extra_.letterheadPath, prompts_)) {
        tabs_->setCurrentIndex(kLetterheadTab);
        return;
    }
    if (archivePage_ && archivePage_->connection() != extra_.laboratoryConnection) {
        if (!writeLaboratoryConnection(extra_.archivePath, archivePage_->connection())) {
            tabs_->setCurrentIndex(kArchiveTab);
            prompts_.message("错误", kArchiveSettingsNotSaved, PromptIcon::Error);
            archivePage_->edit()->setFocus();
            return;
        }
    }
    if (colourPage_ && applyColours_) applyColours_(colourPage_->background(), colourPage_->line());
    if (windowPage_ && applyRanges_) applyRanges_(windowPage_->timeRangeS(), windowPage_->voltRangeUv());
    if (peakPage_) extra_.applyPeak(peak);
    s_rememberedTab = currentTab();
    accept();
}

}  // namespace vespian
