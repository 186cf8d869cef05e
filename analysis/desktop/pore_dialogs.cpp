#include "analysis/desktop/pore_dialogs.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "analysis/desktop/pore_grid_renderer.h"
#include "platform/desktop/program_font.h"
#include "platform/desktop/screen.h"
#include "platform/gbk_text.h"

namespace vespian {

PoreReportDialog::PoreReportDialog(QWidget* parent, ReportTable& reports, PoreTable& table,
                                   const SampleIdentity& sample, Prompts& prompts, const CalendarDate& today)
    : QDialog(parent), reports_(reports), table_(table), sample_(sample), prompts_(prompts), today_(today) {
    setObjectName("poreReportDialog");
    setWindowTitle("生成孔径分布报告");
    setFont(programFont(13));
    setFixedSize(kWidth, kHeight);
    centreOnScreen(this, QSize(kWidth, kHeight));
    auto* numberLabel = new QLabel("样品编号：", this);
    numberLabel->setGeometry(30, 35, 90, 22);
    number_ = new QLineEdit(QString::number(sample.number), this);
    number_->setObjectName("numberEdit");
    number_->setGeometry(120, 35, 170, 22);
    auto* nameLabel = new QLabel("样品名称：", this);
    nameLabel->setGeometry(30, 75, 90, 22);
    name_ = new QLineEdit(QString::fromStdString(utf8FromGbk(sample.name)), this);
    name_->setObjectName("nameEdit");
    name_->setGeometry(120, 75, 170, 22);
    auto* ok = new QPushButton("确定", this);
    ok->setObjectName("okButton");
    ok->setGeometry(100, 140, 90, 28);
    ok->setDefault(true);
    auto* cancel = new QPushButton("取消", this);
    cancel->setObjectName("cancelButton");
    cancel->setGeometry(200, 140, 90, 28);
    connect(ok, &QPushButton::clicked, this, &PoreReportDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &PoreReportDialog::reject);
}

void PoreReportDialog::accept() {
    const PoreReportResult result = createPoreReport(reports_, table_, number_->text().toStdString(),
                                                     name_->text().toStdString(), sample_, today_);
    prompts_.message(result.message.caption, result.message.text, result.message.icon);
    if (result.created) {
        QDialog::accept();
    } else {
        QDialog::reject();
    }
}

bool PoreReportDialog::run(QWidget* parent, ReportTable& reports, PoreTable& table, const SampleIdentity& sample,
                           Prompts& prompts, const CalendarDate& today) {
    if (std::optional<PromptMessage> refused = poreReportRefusal(reports)) {
        prompts.message(refused->caption, refused->text, refused->icon);
        return false;
    }
    PoreReportDialog dialog(parent, reports, table, sample, prompts, today);
    return dialog.exec() == QDialog::Accepted;
}

PorePointDialog::PorePointDialog(QWidget* parent, PoreTable& table, int index, const QImage& background)
    : QDialog(parent), table_(table), index_(index) {
    setObjectName("porePointDialog");
    setWindowTitle("孔径数据属性");
    setFont(programFont(13));
    setFixedSize(kWidth, kHeight);
    centreOnScreen(this, QSize(kWidth, kHeight));
    const PorePointTexts t = porePointTexts(table, index);
    struct Field {
        const char* label;
        const char* name;
        std::string value;
        bool enabled;
    };
    // Every field is for reading; the pressures and flows, set by the instrument, are disabled
    // outright, as is the dead-volume list.
    const Field fields[] = {{"大气压：", "atmosphericPressureEdit", t.atmosphericPressure, false},
                            {"饱和蒸气压：", "saturatedPressureEdit", t.saturatedPressure, false},
                            {"N2流量(ml/分):", "n2FlowEdit", t.n2Flow, false},
                            {"混合流量(ml/分):", "mixedFlowEdit", t.mixedFlow, false},
                            {"重量(mg):", "weightEdit", t.weight, true},
                            {"峰面积:", "peakAreaEdit", t.peakArea, true},
                            {"相对压力:", "relativePressureEdit", t.relativePressure, true},
                            {"孔  径(A):", "poreSizeEdit", t.poreSize, true},
                            {"吸附量(ml):", "adsorbedEdit", t.adsorbed, true},
                            {"计算孔径(A):", "kelvinPoreSizeEdit", t.kelvinPoreSize, true}};
    for (int i = 0; i < 10; ++i) {
        const int x = (i % 2 == 0) ? 20 : 240;
        const int y = 18 + (i / 2) * 28;
        auto* label = new QLabel(fields[i].label, this);
        label->setGeometry(x, y, 110, 22);
        auto* edit = new QLineEdit(QString::fromStdString(fields[i].value), this);
        edit->setObjectName(fields[i].name);
        edit->setGeometry(x + 112, y, 98, 22);
        edit->setReadOnly(true);
        edit->setEnabled(fields[i].enabled);
        if (std::string_view(fields[i].name) == "weightEdit") weight_ = edit;
        if (std::string_view(fields[i].name) == "relativePressureEdit") relative_ = edit;
        if (std::string_view(fields[i].name) == "poreSizeEdit") poreSize_ = edit;
    }
    auto* deadVolumeLabel = new QLabel("死体积:", this);
    deadVolumeLabel->setGeometry(20, 158, 110, 22);
    auto* deadVolumes = new QComboBox(this);
    deadVolumes->setObjectName("deadVolumeList");
    deadVolumes->setGeometry(132, 158, 318, 22);
    deadVolumes->setEnabled(false);
    auto* group = new QGroupBox("谱图", this);
    group->setGeometry(25, 190, 420, 285);
    auto* picture = new QLabel(this);
    picture->setObjectName("pointPicture");
    picture->setGeometry(133, 225, kPoreThumbnailSize * 2, kPoreThumbnailSize * 2);
    picture->setPixmap(QPixmap::fromImage(PoreGridRenderer::thumbnail(table, index, background))
                           .scaled(kPoreThumbnailSize * 2, kPoreThumbnailSize * 2));
    auto* ok = new QPushButton("确定", this);
    ok->setObjectName("okButton");
    ok->setGeometry(250, 490, 90, 28);
    auto* cancel = new QPushButton("取消", this);
    cancel->setObjectName("cancelButton");
    cancel->setGeometry(355, 490, 90, 28);
    connect(ok, &QPushButton::clicked, this, &PorePointDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &PorePointDialog::reject);
}

void PorePointDialog::accept() {
    acceptPorePoint(table_, index_, weight_->text().toStdString(), relative_->text().toStdString(),
                    poreSize_->text().toStdString());
    QDialog::accept();
}

}  // namespace vespian
