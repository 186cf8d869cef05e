#pragma once
// InitData.Set: the instrument and display settings the program runs with, read at start and
// written back at exit. 277 bytes, little-endian, no header. Fields of 2 bytes hold the low 16
// bits of an int32 setting; reading one replaces only those bits and keeps the setting's high
// half. Texts are GBK byte fields, zero-padded, kept as bytes in memory too, so settings that
// no dialog edits go back to the file exactly as they came.

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>

#include "platform/pixel_surface.h"

namespace vespian {

// Thresholds of the automatic peak recogniser and the options of the automatic desorption
// sequence.
struct PeakSettings {
    int32_t minWidth = 0;          // lower bound for (end − start) / 100
    int32_t maxWidth = 0;          // upper bound for (end − start) / 100
    int32_t minHeightUv = 0;       // minimum peak height, µV
    int32_t startSlopeUv = 0;      // rise over 10 points that opens a peak, µV
    int32_t endSlopeUv = 0;        // fall below which a peak may close, µV
    int32_t adsorptionMinutes = 0;      // adsorption before the first automatic desorption step
    int32_t desorbIntervalMinutes = 0;  // between later desorption steps
    int32_t autoDesorb = 0;        // 0/1
    int32_t autoZero = 0;          // 0/1: zero the signal before each desorption step
    int32_t desorbAfterPeak = 0;   // 0/1: a recognised peak triggers the next desorption step
};

// The set the "默认值" button of a peak-settings editor restores.
inline constexpr PeakSettings kPeakSettingsPreset{.minWidth = 5,
                                                  .maxWidth = 1200,
                                                  .minHeightUv = 1000,
                                                  .startSlopeUv = 10,
                                                  .endSlopeUv = 10,
                                                  .adsorptionMinutes = 18,
                                                  .desorbIntervalMinutes = 5,
                                                  .autoDesorb = 1,
                                                  .autoZero = 1,
                                                  .desorbAfterPeak = 1};

// A first start: the preset's thresholds, the automatic options off.
inline constexpr PeakSettings kFirstStartPeakSettings{.minWidth = 5,
                                                      .maxWidth = 1200,
                                                      .minHeightUv = 1000,
                                                      .startSlopeUv = 10,
                                                      .endSlopeUv = 10,
                                                      .adsorptionMinutes = 18,
                                                      .desorbIntervalMinutes = 5};

// The sample the surface-area reports are made for. Texts are GBK bytes (platform/gbk_text.h).
struct SampleInfo {
    int32_t number = 0;
    char name[15] = {};
    float weightMg = 0.0f;
    char sendingCompany[31] = {};
    char sender[11] = {};
    char measuringCompany[31] = {};
    char measurer[11] = {};
    char reviewer[11] = {};
    int32_t sampleDate[3] = {};  // year, month, day
};

// The settings in memory. A first start without InitData.Set runs with these values. Where 0
// would leave the program unusable they hold working values instead:
//   - peak recognition: kFirstStartPeakSettings, the preset's thresholds (with all-zero
//     thresholds every wiggle opens a peak and none is ever wide enough to keep) with the three
//     automatic options off, so the instrument does nothing the operator has not switched on;
//   - trace view: white background, line colour red 255 / blue 120 (the colour page's
//     defaults), 600 s time range, 5000 µV voltage range (0 would divide by zero when mapping
//     points), zoom factors 1.0 (the whole range fills the plot), vertical scroll −1 (not set:
//     the next layout centres the zero line).
// Everything else starts at 0, which is meaningful for each of them (method 0 = comparison,
// mode 0 = idle, scroll positions 0, empty texts).
struct Settings {
    int32_t analysisMethod = 0;  // 0 comparison method, 1 multi-point BET
    int32_t measureMode = 0;     // stored, but the start-up forces it back to 0 (idle)
    int32_t menuOption = 0;      // the option flag of the menu pair 32802/32803
    int32_t reserved6 = 0;       // kept as read
    PeakSettings peak = kFirstStartPeakSettings;
    int32_t carrierGas[7] = {};  // values 1–6 stored whole, value 7 as its low 16 bits
    int32_t sampleValue[5] = {};  // values 1 and 5 stored whole, 2–4 as their low 16 bits
    char sampleText[15] = {};    // GBK
    SampleInfo sample;
    StoredColour backgroundColour = 0xFFFFFF;
    StoredColour traceColour = 0x7800FF;
    int32_t reserved223 = 0;     // kept as read
    int32_t timeRangeS = 600;
    int32_t voltRangeUv = 5000;
    float xZoom = 1.0f;
    float yZoom = 1.0f;
    int32_t vScroll = -1;        // −1 = not set
    int32_t viewScroll = 0;      // a further scroll value of the trace view
    int32_t poreRecordScroll = 0;  // page scroll of the pore records in the report view
    int32_t listScroll[6] = {};  // scroll positions of the record-list and report views
};

#pragma pack(push, 1)
// The file image, field by field.
struct InitDataRecord {
    uint16_t analysisMethod;
    uint16_t measureMode;
    uint16_t menuOption;
    uint16_t reserved6;
    uint16_t adsorptionMinutes;
    uint16_t desorbIntervalMinutes;
    uint16_t autoDesorb;
    uint16_t autoZero;
    uint16_t desorbAfterPeak;
    int32_t carrierGas1to6[6];
    uint16_t carrierGas7;
    int32_t sampleValue1;
    uint16_t sampleValue2to4[3];
    char sampleText[15];
    int32_t sampleValue5;
    uint16_t sampleNumber;
    char sampleName[15];
    float sampleWeightMg;
    char sendingCompany[31];
    char sender[11];
    char measuringCompany[31];
    char measurer[11];
    char reviewer[11];
    uint16_t sampleDate[3];
    int32_t minWidth;
    int32_t maxWidth;
    int32_t minHeightUv;
    int32_t startSlopeUv;
    int32_t endSlopeUv;
    uint32_t backgroundColour;
    uint32_t traceColour;
    uint16_t reserved223;
    int32_t timeRangeS;
    int32_t voltRangeUv;
    float xZoom;
    float yZoom;
    int32_t vScroll;
    int32_t viewScroll;
    int32_t poreRecordScroll;
    int32_t listScroll[6];
};
#pragma pack(pop)

inline constexpr size_t kInitDataBytes = 277;
static_assert(sizeof(InitDataRecord) == kInitDataBytes);
static_assert(std::is_trivially_copyable_v<InitDataRecord>);
static_assert(offsetof(InitDataRecord, analysisMethod) == 0);
static_assert(offsetof(InitDataRecord, measureMode) == 2);
static_assert(offsetof(InitDataRecord, menuOption) == 4);
static_assert(offsetof(InitDataRecord, reserved6) == 6);
static_assert(offsetof(InitDataRecord, adsorptionMinutes) == 8);
static_assert(offsetof(InitDataRecord, desorbIntervalMinutes) == 10);
static_assert(offsetof(InitDataRecord, autoDesorb) == 12);
static_assert(offsetof(InitDataRecord, autoZero) == 14);
static_assert(offsetof(InitDataRecord, desorbAfterPeak) == 16);
static_assert(offsetof(InitDataRecord, carrierGas1to6) == 18);
static_assert(offsetof(InitDataRecord, carrierGas7) == 42);
static_assert(offsetof(InitDataRecord, sampleValue1) == 44);
static_assert(offsetof(InitDataRecord, sampleValue2to4) == 48);
static_assert(offsetof(InitDataRecord, sampleText) == 54);
static_assert(offsetof(InitDataRecord, sampleValue5) == 69);
static_assert(offsetof(InitDataRecord, sampleNumber) == 73);
static_assert(offsetof(InitDataRecord, sampleName) == 75);
static_assert(offsetof(InitDataRecord, sampleWeightMg) == 90);
static_assert(offsetof(InitDataRecord, sendingCompany) == 94);
static_assert(offsetof(InitDataRecord, sender) == 125);
static_assert(offsetof(InitDataRecord, measuringCompany) == 136);
static_assert(offsetof(InitDataRecord, measurer) == 167);
static_assert(offsetof(InitDataRecord, reviewer) == 178);
static_assert(offsetof(InitDataRecord, sampleDate) == 189);
static_assert(offsetof(InitDataRecord, minWidth) == 195);
static_assert(offsetof(InitDataRecord, maxWidth) == 199);
static_assert(offsetof(InitDataRecord, minHeightUv) == 203);
static_assert(offsetof(InitDataRecord, startSlopeUv) == 207);
static_assert(offsetof(InitDataRecord, endSlopeUv) == 211);
static_assert(offsetof(InitDataRecord, backgroundColour) == 215);
static_assert(offsetof(InitDataRecord, traceColour) == 219);
static_assert(offsetof(InitDataRecord, reserved223) == 223);
static_assert(offsetof(InitDataRecord, timeRangeS) == 225);
static_assert(offsetof(InitDataRecord, voltRangeUv) == 229);
static_assert(offsetof(InitDataRecord, xZoom) == 233);
static_assert(offsetof(InitDataRecord, yZoom) == 237);
static_assert(offsetof(InitDataRecord, vScroll) == 241);
static_assert(offsetof(InitDataRecord, viewScroll) == 245);
static_assert(offsetof(InitDataRecord, poreRecordScroll) == 249);
static_assert(offsetof(InitDataRecord, listScroll) == 253);
static_assert(sizeof(SampleInfo::name) == sizeof(InitDataRecord::sampleName));
static_assert(sizeof(SampleInfo::sendingCompany) == sizeof(InitDataRecord::sendingCompany));
static_assert(sizeof(SampleInfo::sender) == sizeof(InitDataRecord::sender));
static_assert(sizeof(SampleInfo::measuringCompany) == sizeof(InitDataRecord::measuringCompany));
static_assert(sizeof(SampleInfo::measurer) == sizeof(InitDataRecord::measurer));
static_assert(sizeof(SampleInfo::reviewer) == sizeof(InitDataRecord::reviewer));
static_assert(sizeof(Settings::sampleText) == sizeof(InitDataRecord::sampleText));

inline constexpr char kInitDataFileName[] = "InitData.Set";

// The file image of the settings.
InitDataRecord initDataRecordFrom(const Settings& settings);
// Takes every field of the image into the settings; 2-byte fields replace only the low half.
void applyInitDataRecord(const InitDataRecord& record, Settings& settings);

// Reads up to 277 bytes over the image of the current settings, so a short file leaves the
// settings it does not reach unchanged. False when the file cannot be opened or read; the
// settings are then untouched. The caller sets measureMode to 0 afterwards.
bool readInitData(const std::string& path, Settings& settings);

// Writes the 277 bytes through writeSettingsFile. False on any failure.
bool writeInitData(const std::string& path, const Settings& settings);

// Replaces a settings file with `size` bytes: written to a temporary file in the same folder,
// flushed, and renamed over the target, so a failed write leaves the old file as it was.
// An existing target that may not be written (read-only, a directory) fails without being
// touched, as the operator expects from a read-only settings file. A symbolic link is
// followed: the file it names is replaced.
bool writeSettingsFile(const std::string& path, const void* bytes, size_t size);

}  // namespace vespian
