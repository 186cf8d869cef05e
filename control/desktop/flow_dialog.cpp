#include "control/desktop/flow_dialog.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/desktop/program_font.h"
#include "control/desktop/access_code_dialog.h"
#include "control/desktop/cleaning_dialog.h"
#include "control/desktop/control_context.h"
#include "control/flow_setting.h"
#include "platform/desktop/screen.h"
#include "platform/prompts.h"

namespace vespian {

namespace {

QString qs(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

constexpr int kWidth = 560;
constexpr int kHeight = 330;

}  // namespace

FlowDialog::FlowDialog(ControlContext& context, QWidget* parent) : QDialog(parent), context_(context) {
    setObjectName("flowDialog");
    setWindowTitle(qs(kFlowDialogTitle));
    setFixedSize(kWidth, kHeight);
    centreOnScreen(this, size());
    setFont(programFont(13));

    for (int c = 1; c <= kFlowChannelCount; ++c) {
        const int i = c - 1;
        auto* group = new QGroupBox(qs(kFlowGroupCaptions[static_cast<size_t>(i)]), this);
        group->setGeometry(14 + (i % 2) * 270, 12 + (i / 2) * 120, 260, 110);
        gas_[i] = new QComboBox(group);
        gas_[i]->setObjectName(QString("ctl%1").arg(kGasListIds[static_cast<size_t>(i)]));
        gas_[i]->setGeometry(12, 28, 130, 26);
        // The table's own order: indices depend on it.
        for (const GasEntry& gas : kGasTable) gas_[i]->addItem(qs(gas.name));
        setpoint_[i] = new QLineEdit(group);
        setpoint_[i]->setObjectName(QString("ctl%1").arg(kSetpointFieldIds[static_cast<size_t>(i)]));
        setpoint_[i]->setGeometry(12, 66, 80, 26);
        setpoint_[i]->setMaxLength(199);
        auto* unit = new QLabel("ml/min", group);
        unit->setGeometry(98, 66, 60, 26);
        set_[i] = new QPushButton("设定", group);
        set_[i]->setObjectName(QString("ctl%1").arg(kSetButtonIds[static_cast<size_t>(i)]));
        set_[i]->setGeometry(168, 46, 76, 30);
        set_[i]->setAutoDefault(false);
        connect(set_[i], &QPushButton::clicked, this, [this, c] { setChannel(c); });

        const FlowChannel& channel = context_.flows.channel[static_cast<size_t>(i)];
        setpoint_[i]->setText(QString::fromStdString(setpointText(channel)));
        gas_[i]->setCurrentIndex(channel.gasIndex);
        // Only channels 1 and 2 are set here.
        const bool settable = c <= kSettableFlowChannels;
        gas_[i]->setEnabled(settable);
        setpoint_[i]->setEnabled(settable);
        set_[i]->setEnabled(settable);
    }

    auto* done = new QPushButton("完成", this);
    done->setObjectName(QString("ctl%1").arg(kFlowDoneId));
    done->setGeometry(14, 272, 120, 34);
    auto* cancel = new QPushButton("取消", this);
    cancel->setObjectName(QString("ctl%1").arg(kFlowCancelId));
    cancel->setGeometry(148, 272, 120, 34);
    cleaning_ = new QPushButton("清洗气路设定", this);
    cleaning_->setObjectName(QString("ctl%1").arg(kFlowCleaningId));
    cleaning_->setGeometry(412, 272, 134, 34);
    for (QPushButton* b : {done, cancel, cleaning_}) b->setAutoDefault(false);
    connect(done, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cleaning_, &QPushButton::clicked, this, &FlowDialog::openCleaning);
}

void FlowDialog::setChannel(int channel) {
    if (channel < 1 || channel > kFlowChannelCount) return;
    const int i = channel - 1;
    const FlowSetResult result =
        setChannelFlow(context_.flows, channel, setpoint_[i]->text().toStdString(), gas_[i]->currentIndex());
    if (result.message) context_.prompts.message(result.message->caption, result.message->text, result.message->icon);
    if (result.fieldText) setpoint_[i]->setText(QString::fromStdString(*result.fieldText));
    if (result.frame.length > 0) context_.send(result.frame);
}

void FlowDialog::openCleaning() {
    AccessCodeDialog code(context_.prompts, this);
    if (code.exec() != QDialog::Accepted) return;
    CleaningDialog cleaning(context_, this);
    cleaning.exec();
}

}  // namespace vespian
