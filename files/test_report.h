#pragma once
// The one test report of the chemisorption tests (temperature-programmed, pulse titration,
// desorption amount): sample data, test parameters, titration results, the Tm list, and its own
// copy of a trace stretch. Its byte image is the report file (.care): a 1156-byte header, then
// float32[10,000,000] signal (mV), then float32[10,000,000] temperature (℃), 80,001,156 bytes,
// little-endian. Texts are NUL-terminated GBK fields (platform/gbk_text.h); readers stop at
// the first NUL.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>

#include "trace/chromatogram.h"

namespace vespian {

struct ReportDate {
    int32_t year = 0;
    int32_t month = 0;
    int32_t day = 0;
};

inline constexpr int32_t kMaxTmValues = 100;  // tmCount stays below this

struct TestReportHeader {
    char sampleName[52] = {};  // at most 49 characters from the operator
    float sampleWeightG = 0.0f;
    char tester[20] = {};
    ReportDate testDate;
    char heading[200] = {};
    float upperTempC = 0.0f;       // temperature-programmed: upper temperature limit
    float rampRateCPerMin = 0.0f;  // temperature-programmed: ramp rate
    float titrationTempC = 0.0f;   // titration or desorption temperature
    float pulseArea = 0.0f;        // calibration pulse area
    float pulseVolumeMl = 0.0f;    // calibration pulse volume
    int32_t pulseCount = 0;
    float residualArea = 0.0f;     // area of the report trace
    float residualVolumeMl = 0.0f;
    float adsorbedVolumeMl = 0.0f;
    float stoichiometry = 0.0f;
    float atomicMass = 0.0f;       // g/mol
    float massFraction = 0.0f;
    float crossSectionNm2 = 0.0f;
    float dispersion = 0.0f;
    float activeAreaM2g = 0.0f;
    int32_t tmCount = 0;           // 0 .. 99
    float tmValues[kMaxTmValues] = {};
    int32_t tmIndices[kMaxTmValues] = {};
    int32_t reportPointCount = 0;  // valid entries of the two arrays
};

inline constexpr size_t kTestReportHeaderBytes = 1156;
inline constexpr uint64_t kReportArrayBytes = static_cast<uint64_t>(kMaxPoints) * sizeof(float);
inline constexpr uint64_t kReportSignalOffset = kTestReportHeaderBytes;
inline constexpr uint64_t kReportTemperatureOffset = kReportSignalOffset + kReportArrayBytes;
inline constexpr uint64_t kTestReportBytes = kReportTemperatureOffset + kReportArrayBytes;
static_assert(kTestReportBytes == 80'001'156);

static_assert(sizeof(ReportDate) == 12);
static_assert(sizeof(TestReportHeader) == kTestReportHeaderBytes);
static_assert(std::is_trivially_copyable_v<TestReportHeader>);
static_assert(offsetof(TestReportHeader, sampleName) == 0);
static_assert(offsetof(TestReportHeader, sampleWeightG) == 52);
static_assert(offsetof(TestReportHeader, tester) == 56);
static_assert(offsetof(TestReportHeader, testDate) == 76);
static_assert(offsetof(TestReportHeader, heading) == 88);
static_assert(offsetof(TestReportHeader, upperTempC) == 288);
static_assert(offsetof(TestReportHeader, rampRateCPerMin) == 292);
static_assert(offsetof(TestReportHeader, titrationTempC) == 296);
static_assert(offsetof(TestReportHeader, pulseArea) == 300);
static_assert(offsetof(TestReportHeader, pulseVolumeMl) == 304);
static_assert(offsetof(TestReportHeader, pulseCount) == 308);
static_assert(offsetof(TestReportHeader, residualArea) == 312);
static_assert(offsetof(TestReportHeader, residualVolumeMl) == 316);
static_assert(offsetof(TestReportHeader, adsorbedVolumeMl) == 320);
static_assert(offsetof(TestReportHeader, stoichiometry) == 324);
static_assert(offsetof(TestReportHeader, atomicMass) == 328);
static_assert(offsetof(TestReportHeader, massFraction) == 332);
static_assert(offsetof(TestReportHeader, crossSectionNm2) == 336);
static_assert(offsetof(TestReportHeader, dispersion) == 340);
static_assert(offsetof(TestReportHeader, activeAreaM2g) == 344);
static_assert(offsetof(TestReportHeader, tmCount) == 348);
static_assert(offsetof(TestReportHeader, tmValues) == 352);
static_assert(offsetof(TestReportHeader, tmIndices) == 752);
static_assert(offsetof(TestReportHeader, reportPointCount) == 1152);

inline constexpr char kNewDataFileName[] = "NewData.ini";
// The start-up reads at most this much of NewData.ini: the header and the first 24,711 signal
// points.
inline constexpr size_t kNewDataSeedBytes = 100'000;

class TestReport {
public:
    TestReport();  // the two arrays are allocated once, zero-filled lazily by the system
    TestReport(const TestReport&) = delete;
    TestReport& operator=(const TestReport&) = delete;

    TestReportHeader& header() { return header_; }
    const TestReportHeader& header() const { return header_; }
    float* signalMv() { return signal_.get(); }
    const float* signalMv() const { return signal_.get(); }
    float* temperatureC() { return temperature_.get(); }
    const float* temperatureC() const { return temperature_.get(); }

    // Byte ranges of the 80,001,156-byte image, mapped onto header and arrays as if the record
    // were one block. Bytes beyond the image's end are ignored; the result is the number of
    // bytes copied.
    size_t readImage(uint64_t offset, const void* bytes, size_t size);     // into the record
    size_t copyImage(uint64_t offset, void* bytes, size_t size) const;     // out of the record
    void readImagePrefix(const uint8_t* bytes, size_t size) { readImage(0, bytes, size); }
    void imagePrefix(uint8_t* bytes, size_t size) const { copyImage(0, bytes, size); }

    // The values of a first start without NewData.ini: weight 1.0 g, stoichiometry 2.0,
    // atomic mass 195.08 (platinum), mass fraction 2.0, cross-section 0.089 nm², no points.
    // The other fields are left as they are.
    void applyStartDefaults();

    // Start-up seeding. When the file can be read, its first up to 100,000 bytes go over the
    // start of the image, reportPointCount is set to 0, and pulseVolumeMl is handed to
    // *quantVolumeMl (the quantitative peak's volume) when that is not null; the result is
    // true. When it cannot be read, applyStartDefaults() and false. A tmCount outside 0 .. 99
    // (a file that is not a report) is set to 0, so the Tm list is never read out of bounds.
    bool seedFromNewData(const std::string& path, float* quantVolumeMl);

private:
    struct FreeDeleter {
        void operator()(float* p) const;
    };
    TestReportHeader header_;
    std::unique_ptr<float[], FreeDeleter> signal_;
    std::unique_ptr<float[], FreeDeleter> temperature_;
};

}  // namespace vespian
