// The gas-path panel, its readouts and the injector dialog on the offscreen platform, with the
// panel's screenshot.

#include "control/desktop/gas_path_panel.h"

#include <QCheckBox>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

#include "control/desktop/digit_images.h"
#include "control/desktop/injector_dialog.h"
#include "control/desktop/instrument_control.h"
#include "control_fixture.h"

namespace vespian {
namespace {

using testing::ControlFixture;
using Bytes = std::vector<uint8_t>;

class GasPathPanelTest : public ControlFixture {
protected:
    InstrumentControl windows{context};
};

TEST_F(GasPathPanelTest, ValveButtonsToggleTheirValvesAndKeepTheirStates) {
    {
        GasPathPanel panel(context, windows);
        EXPECT_EQ(panel.windowTitle(), "气路控制");
        EXPECT_EQ(panel.size(), QSize(1000, 580));
        EXPECT_EQ(panel.valveButton(3)->objectName(), "ctl1094");
        EXPECT_EQ(panel.valveButton(3)->text(), "╳");
        EXPECT_EQ(panel.valveButton(6)->text(), " ─→");
        EXPECT_EQ(panel.valveButton(7)->text(), " ┌→");
        panel.valveButton(3)->click();
        EXPECT_EQ(panel.valveButton(3)->text(), "→");
        panel.valveButton(3)->click();
        EXPECT_EQ(panel.valveButton(3)->text(), "╳");
        ASSERT_EQ(sent.size(), 2u);
        EXPECT_EQ(sent[0], (Bytes{0x3A, 0x13}));
        EXPECT_EQ(sent[1], (Bytes{0x3A, 0x23}));
        panel.valveButton(6)->click();
        EXPECT_EQ(panel.valveButton(6)->text(), "└→");
        panel.valveButton(6)->click();
        EXPECT_EQ(panel.valveButton(6)->text(), "─→");
        panel.valveButton(0)->click();
        EXPECT_EQ(panel.readoutTimer()->interval(), 200);
        EXPECT_TRUE(panel.readoutTimer()->isActive());
        EXPECT_EQ(panel.button(1025)->text(), "TPD操作流程");
        EXPECT_EQ(panel.button(1028)->text(), "氢氧滴定操作流程");
    }
    // Reopened: the valve left on shows its on caption.
    GasPathPanel again(context, windows);
    EXPECT_EQ(again.valveButton(0)->text(), "→");
    EXPECT_EQ(again.valveButton(6)->text(), " ─→");
}

// The readouts as their digit images: blank cells first, then the digits of "%5.1f".
TEST_F(GasPathPanelTest, ReadoutsDrawTheDigitImagesWhereTheLayoutSays) {
    QImage canvas(200, 40, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    const DigitImageSet& images = digitImages(DigitColour::Flow);
    {
        QPainter p(&canvas);
        drawDigitReadout(p, images, 5.0, 0, 10);
    }
    // Cells from x + 7 on are blanked; the 5 sits at x + 39, the point at x + 52, the 0 at x + 58.
    EXPECT_EQ(canvas.copy(39, 10, kDigitWidth, kDigitHeight), images.digits[5]);
    EXPECT_EQ(canvas.copy(58, 10, kDigitWidth, kDigitHeight), images.digits[0]);
    EXPECT_EQ(canvas.copy(26, 10, kDigitWidth, kDigitHeight), images.blank) << "a leading blank cell";
    EXPECT_EQ(canvas.pixel(3, 20), qRgb(255, 255, 255)) << "nothing left of the first cell";
    EXPECT_NE(images.digits[8], images.digits[0]);
    EXPECT_NE(digitImages(DigitColour::Temperature).digits[8], images.digits[8]) << "two sets";
}

TEST_F(GasPathPanelTest, Screenshot) {
    readings.flow1MlMin.store(30.2f);
    readings.flow2MlMin.store(5.0f);
    fillTrace(10, 123.4f, 0.0f);
    control.valves.state[1] = 1;  // ammonia to the sample
    control.valves.state[6] = 1;  // sample outlet to the vent
    GasPathPanel panel(context, windows);
    panel.show();
    QApplication::processEvents();
    const QImage shot = panel.grab().toImage();
    savePicture(shot, "control_gas_path_panel.png");
    // The temperature's 1 lies at 830 + 13.
    const QImage one = digitImages(DigitColour::Temperature).digits[1];
    EXPECT_EQ(shot.copy(843, 430, kDigitWidth, kDigitHeight).convertToFormat(one.format()), one);
}

TEST_F(GasPathPanelTest, InjectorDialogSendsTheByteAndRecordsTheMask) {
    {
        InjectorDialog d(context);
        EXPECT_EQ(d.windowTitle(), "进样器控制");
        for (int i = 1; i <= 4; ++i) EXPECT_FALSE(d.box(i)->isChecked());
        d.box(1)->setChecked(true);
        d.box(3)->setChecked(true);
        d.show();
        d.desorbButton()->click();
        EXPECT_FALSE(d.isVisible()) << "a button closes the dialog";
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0], Bytes{0xD6});
        ASSERT_TRUE(d.pressed().has_value());
        EXPECT_TRUE(d.pressed()->desorb);
    }
    EXPECT_EQ(control.injectors.mask, 0b0101);
    InjectorDialog again(context);
    EXPECT_TRUE(again.box(1)->isChecked());
    EXPECT_FALSE(again.box(2)->isChecked());
    EXPECT_TRUE(again.box(3)->isChecked());
    // No box ticked: the operator is told, nothing is sent or recorded, the dialog stays.
    again.show();
    again.box(1)->setChecked(false);
    again.box(3)->setChecked(false);
    for (QPushButton* button : {again.adsorbButton(), again.desorbButton()}) {
        button->click();
        EXPECT_EQ(prompts.texts().back(), "请先选择进样器!");
        EXPECT_EQ(prompts.records().back().caption, "提示");
        EXPECT_EQ(sent.size(), 1u);
        EXPECT_EQ(control.injectors.mask, 0b0101);
        EXPECT_TRUE(again.isVisible());
        EXPECT_FALSE(again.pressed().has_value());
    }
    EXPECT_EQ(prompts.records().size(), 2u);
    InjectorDialog closed(context);
    closed.reject();
    EXPECT_FALSE(closed.pressed().has_value());
}

}  // namespace
}  // namespace vespian
