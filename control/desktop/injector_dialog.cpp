#include "control/desktop/injector_dialog.h"

#include <QCheckBox>
#include <QPushButton>

#include "platform/desktop/program_font.h"
#include "control/desktop/control_context.h"
#include "platform/desktop/screen.h"
#include "platform/prompts.h"

namespace vespian {

namespace {

QString qs(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

InjectorDialog::InjectorDialog(ControlContext& context, QWidget* parent) : QDialog(parent), context_(context) {
    setObjectName("injectorDialog");
    setWindowTitle(qs(kInjectorTitle));
    setFixedSize(320, 190);
    centreOnScreen(this, size());
    setFont(programFont(13));
    const std::array<bool, kInjectors> ticked = tickedAtOpening(context_.control.injectors);
    for (int i = 0; i < kInjectors; ++i) {
        boxes_[i] = new QCheckBox(qs(kInjectorBoxCaptions[static_cast<size_t>(i)]), this);
        boxes_[i]->setObjectName(QString("ctl%1").arg(kInjectorBoxIds[static_cast<size_t>(i)]));
        boxes_[i]->setGeometry(24 + (i % 2) * 150, 20 + (i / 2) * 40, 130, 28);
        boxes_[i]->setChecked(ticked[static_cast<size_t>(i)]);
    }
    adsorb_ = new QPushButton("吸附", this);
    adsorb_->setObjectName(QString("ctl%1").arg(kAdsorbButtonId));
    adsorb_->setGeometry(24, 122, 120, 36);
    desorb_ = new QPushButton("脱附", this);
    desorb_->setObjectName(QString("ctl%1").arg(kDesorbButtonId));
    desorb_->setGeometry(174, 122, 120, 36);
    for (QPushButton* b : {adsorb_, desorb_}) b->setAutoDefault(false);
    connect(adsorb_, &QPushButton::clicked, this, [this] { press(InjectorOperation::Adsorb); });
    connect(desorb_, &QPushButton::clicked, this, [this] { press(InjectorOperation::Desorb); });
}

void InjectorDialog::press(InjectorOperation operation) {
    std::array<bool, kInjectors> ticked{};
    for (int i = 0; i < kInjectors; ++i) ticked[static_cast<size_t>(i)] = boxes_[i]->isChecked();
    if (!anyInjectorTicked(ticked)) {
        context_.prompts.message("提示", std::string(kNoInjectorTickedText), PromptIcon::Information);
        return;
    }
    pressed_ = pressInjectors(context_.control.injectors, operation, ticked);
    context_.send(pressed_->command);
    accept();
}

}  // namespace vespian
