#pragma once
// The eight fields of a BET point and the peak's picture, laid out alike in the calibration
// dialog "标定吸附量" and the point dialog "多点BET取点设定".

#include <QImage>

#include <array>
#include <string>

class QLineEdit;
class QWidget;

namespace vespian {

// Number, peak area, volume, N2 and He flows, Po, N2 temperature, adsorption pressure, as shown.
using BetPointFieldTexts = std::array<std::string, 8>;

// Adds the labelled fields (named numberEdit … adsorptionPressureEdit), the unit of the area and
// the "谱图" group with the picture to `dialog`; returns the fields in that order.
std::array<QLineEdit*, 8> addBetPointFields(QWidget* dialog, const BetPointFieldTexts& texts,
                                            const QImage& peakPicture);

}  // namespace vespian
