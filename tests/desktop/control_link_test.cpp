// The control windows' buttons reach the simulated analyser through the instrument link: what
// the dialogs send is what the instrument acts on.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "control/desktop/flow_dialog.h"
#include "control/desktop/gas_path_panel.h"
#include "control/desktop/injector_dialog.h"
#include "control/desktop/instrument_control.h"
#include "control/desktop/programme_dialog.h"
#include "control_fixture.h"
#include "link/instrument_link.h"
#include "sim/simulator_driver.h"

namespace vespian {
namespace {

class ControlOverTheLinkTest : public testing::ControlFixture {
protected:
    ControlOverTheLinkTest() {
        context.send = [this](const Command& c) { link.send(c); };
    }
    void SetUp() override {
        ASSERT_TRUE(link.open());
        link.start();
    }
    void TearDown() override { link.close(); }

    sim::SimulatorDriver driver{sim::SimulatorOptions{9, 50.0}};
    InstrumentLink link{driver, *trace, readings};
};

TEST_F(ControlOverTheLinkTest, DialogsDriveTheAnalyser) {
    sim::SimulatedAnalyser& analyser = driver.analyser();
    {
        FlowDialog flowsDialog(context);
        flowsDialog.gasList(1)->setCurrentIndex(7);  // helium
        flowsDialog.setpointField(1)->setText("45");
        flowsDialog.setButton(1)->click();
    }
    EXPECT_EQ(analyser.flowSetpoint(1), 45);
    EXPECT_EQ(analyser.gasCode(1), 2);
    InstrumentControl windows(context);
    {
        GasPathPanel panel(context, windows);
        panel.valveButton(4)->click();
    }
    EXPECT_TRUE(analyser.valveOn(4));
    EXPECT_FALSE(analyser.detectorSeesSample()) << "the bypass";
    {
        InjectorDialog injector(context);
        injector.box(2)->setChecked(true);
        injector.adsorbButton()->click();
    }
    EXPECT_TRUE(analyser.injectorLoaded(2));
    {
        ProgrammeDialog programme(context);
        programme.field(0)->setText("200");
        programme.field(1)->setText("20");
        programme.field(2)->setText("1");
        programme.addButton()->click();
        programme.startStopButton()->click();
        EXPECT_TRUE(analyser.programRunning());
        EXPECT_TRUE(windows.forcedStop());
    }
    EXPECT_FALSE(analyser.programRunning()) << "the forced stop reached the furnace";
}

}  // namespace
}  // namespace vespian
