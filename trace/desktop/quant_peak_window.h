#pragma once
// The quantitative-peak window "表面积数据属性": the peak's volume (editable, "%.3f") and area
// ("%.0f") in the group "定量峰", and its small picture in the group "谱图". "关闭(&C)" takes the
// volume as typed; the close box keeps the volume it had.
//
// Opened modally for a stretch applied as "定量", and modeless for a peak the recogniser hands
// over in the comparison method; then each further recognised peak is taken into the open
// window, and closing it empties the peak table, as the "buffer full" warning promises.

#include <QDialog>
#include <QImage>

#include <cstdint>
#include <functional>

class QLabel;
class QLineEdit;

namespace vespian {

class Prompts;
class QuantPeak;
struct PeakTable;

class QuantPeakWindow : public QDialog {
    Q_OBJECT

public:
    // Takes signalMv[start .. end] into the quantitative peak and shows it. With a table the
    // window is the comparison method's, for a recognised peak whose area the recogniser
    // measured as `recognisedArea`: that area is shown, and closing the window empties the table.
    // With prompts the window also offers "保存图片" of the peak's picture as it stands.
    QuantPeakWindow(QWidget* parent, QuantPeak& quant, const float* signalMv, int32_t start, int32_t end,
                    PeakTable* handedOverTable = nullptr, Prompts* prompts = nullptr, int32_t recognisedArea = 0);

    // A further recognised peak while the window is open.
    void takePeak(const float* signalMv, int32_t start, int32_t end, int32_t recognisedArea);

    // A handed-over peak can be kept in the record database as a comparison standard or sample:
    // with a handler the window shows the button "storeButton" that calls it.
    void setStoreHandler(std::function<void()> store);

    const QImage& picture() const { return picture_; }
    // Widgets by objectName: "volumeEdit", "areaEdit", "areaUnit", "closeButton", "storeButton",
    // "peakPicture", "savePictureButton".

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void showPeak(const float* signalMv, int32_t start, int32_t end, int32_t recognisedArea);
    void closeWithVolume();
    void closed();

    QuantPeak& quant_;
    PeakTable* table_;
    QLineEdit* volume_;
    QLineEdit* area_;
    QLabel* areaUnit_;
    QImage picture_;
    class PictureView* view_;
    class QPushButton* store_ = nullptr;
    std::function<void()> storeHandler_;
    bool done_ = false;
};

// After "应用于..." with "定量": modal.
void runQuantPeakWindow(QWidget* parent, QuantPeak& quant, const float* signalMv, int32_t start, int32_t end,
                        Prompts* prompts = nullptr);

// After a recognised peak in the comparison method: modeless, deleted when closed. The caller
// keeps the returned pointer (a QPointer) to take further peaks into it while it is open.
QuantPeakWindow* showHandedOverQuantWindow(QWidget* parent, QuantPeak& quant, PeakTable& table,
                                           const float* signalMv, int32_t start, int32_t end,
                                           int32_t recognisedArea, Prompts* prompts = nullptr);

}  // namespace vespian
