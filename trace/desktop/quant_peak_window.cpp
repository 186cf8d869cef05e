#include "trace/desktop/quant_peak_window.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

#include "platform/desktop/program_font.h"
#include "platform/desktop/export_actions.h"
#include "platform/desktop/screen.h"
#include "platform/desktop/draw_list_painter.h"
#include "trace/peak_picture.h"
#include "trace/peak_table.h"
#include "trace/quant_peak.h"

namespace vespian {

namespace {

constexpr int kWidth = 445;
constexpr int kHeight = 550;
constexpr int kPictureLeft = 20;
constexpr int kPictureTop = 180;

QString qs(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// The picture's background: our chart paper.
void paintPaper(QImage& image) {
    image.fill(QColor(252, 252, 248));
    QPainter p(&image);
    p.setPen(QColor(226, 229, 234));
    for (int k = 1; k < 10; ++k) {
        p.drawLine(image.width() * k / 10, 0, image.width() * k / 10, image.height());
        p.drawLine(0, image.height() * k / 10, image.width(), image.height() * k / 10);
    }
}

}  // namespace

class PictureView : public QWidget {
public:
    PictureView(QWidget* parent, const QImage& picture) : QWidget(parent), picture_(picture) {
        setObjectName("peakPicture");
        setFixedSize(picture.size());
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.drawImage(0, 0, picture_);
    }

private:
    const QImage& picture_;
};

QuantPeakWindow::QuantPeakWindow(QWidget* parent, QuantPeak& quant, const float* signalMv, int32_t start,
                                 int32_t end, PeakTable* handedOverTable, Prompts* prompts, int32_t recognisedArea)
    : QDialog(parent), quant_(quant), table_(handedOverTable),
      picture_(kSmallPeakPicture.width, kSmallPeakPicture.height, QImage::Format_RGB32) {
    setObjectName("quantPeakWindow");
    setWindowTitle("表面积数据属性");
    setFont(programFont(13));
    setFixedSize(kWidth, kHeight);
    const QSize screen = screenSize();
    move((screen.width() - 850) / 2, (screen.height() - 550) / 2);

    auto* peakGroup = new QGroupBox("定量峰", this);
    peakGroup->setGeometry(15, 12, 415, 120);
    auto* volumeLabel = new QLabel("体积[ml]:", peakGroup);
    volumeLabel->setGeometry(20, 30, 90, 24);
    volume_ = new QLineEdit(peakGroup);
    volume_->setObjectName("volumeEdit");
    volume_->setGeometry(115, 30, 150, 24);
    auto* areaLabel = new QLabel("峰面积：", peakGroup);
    areaLabel->setGeometry(20, 72, 90, 24);
    area_ = new QLineEdit(peakGroup);
    area_->setObjectName("areaEdit");
    area_->setGeometry(115, 72, 150, 24);
    area_->setReadOnly(true);
    area_->setFocusPolicy(Qt::NoFocus);
    areaUnit_ = new QLabel(peakGroup);
    areaUnit_->setObjectName("areaUnit");
    areaUnit_->setGeometry(272, 72, 120, 24);

    auto* pictureGroup = new QGroupBox("谱图", this);
    pictureGroup->setGeometry(10, 150, 425, 315);
    view_ = new PictureView(this, picture_);
    view_->move(kPictureLeft, kPictureTop);

    auto* close = new QPushButton("关闭(&C)", this);
    close->setObjectName("closeButton");
    close->setGeometry(kWidth - 120, kHeight - 56, 100, 30);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, [this] { closeWithVolume(); });
    if (prompts != nullptr) {
        addExportButton(this, ExportKind::Picture, QRect(20, kHeight - 56, 100, 30),
                        [this, prompts] { savePicture(*prompts, {{}, "定量峰谱图"}, picture_); });
    }

    showPeak(signalMv, start, end, recognisedArea);
}

void QuantPeakWindow::setStoreHandler(std::function<void()> store) {
    storeHandler_ = std::move(store);
    if (store_ == nullptr) {
        store_ = new QPushButton("存为标样/样品(&S)...", this);
        store_->setObjectName("storeButton");
        store_->setGeometry(kWidth - 300, kHeight - 56, 170, 30);
        connect(store_, &QPushButton::clicked, this, [this] {
            if (storeHandler_) storeHandler_();
        });
    }
    store_->setVisible(static_cast<bool>(storeHandler_));
}

void QuantPeakWindow::showPeak(const float* signalMv, int32_t start, int32_t end, int32_t recognisedArea) {
    quant_.take(signalMv, start, end);
    const QuantWindowTexts texts =
        table_ != nullptr ? quantWindowTexts(quant_, recognisedArea) : quantWindowTexts(quant_);
    volume_->setText(qs(texts.volume));
    area_->setText(qs(texts.area));
    areaUnit_->setText(qs(texts.areaUnit));
    paintPaper(picture_);
    DrawList line;
    line.add(DrawPolyline{peakPicturePoints(quant_.trace(), quant_.lastIndex, kSmallPeakPicture), rgb(200, 0, 100)});
    QPainter painter(&picture_);
    paintDrawList(painter, line);
    view_->update();
}

void QuantPeakWindow::takePeak(const float* signalMv, int32_t start, int32_t end, int32_t recognisedArea) {
    // The volume the operator may be typing stays; area and picture follow the new peak.
    const QString typed = volume_->text();
    showPeak(signalMv, start, end, recognisedArea);
    volume_->setText(typed);
}

void QuantPeakWindow::closeWithVolume() {
    closeQuantWindow(quant_, volume_->text().toStdString());
    closed();
    accept();
}

void QuantPeakWindow::closed() {
    if (done_) return;
    done_ = true;
    if (table_ != nullptr) closeHandedOverQuantWindow(*table_);
}

void QuantPeakWindow::closeEvent(QCloseEvent* event) {
    closed();  // the close box: the volume stays as it was
    QDialog::closeEvent(event);
}

void QuantPeakWindow::reject() {
    closed();
    QDialog::reject();
}

void runQuantPeakWindow(QWidget* parent, QuantPeak& quant, const float* signalMv, int32_t start, int32_t end,
                        Prompts* prompts) {
    QuantPeakWindow window(parent, quant, signalMv, start, end, nullptr, prompts);
    window.exec();
}

QuantPeakWindow* showHandedOverQuantWindow(QWidget* parent, QuantPeak& quant, PeakTable& table,
                                           const float* signalMv, int32_t start, int32_t end,
                                           int32_t recognisedArea, Prompts* prompts) {
    auto* window = new QuantPeakWindow(parent, quant, signalMv, start, end, &table, prompts, recognisedArea);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setModal(false);
    window->show();
    return window;
}

}  // namespace vespian
