#include "control/furnace_program.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "platform/decimal_text.h"

namespace vespian {

namespace {

constexpr char kTargetOutOfRange[] = "输入的温度已经超过范围(1-1100℃)!!请重新输入!!";
constexpr char kRateOutOfRange[] = "输入的升温速率已经超过范围(1-30℃/Min)!!请重新输入!!";
constexpr char kHoldOutOfRange[] = "输入的恒温时间已经超过范围(1-300Min)!!请重新输入!!";
constexpr char kStopQuestion[] = "确定要停止程序升温吗？";
constexpr char kDiscardQuestion[] = "程序升温未启动,如果退出当前已设定数据将被全部清零,确定要退出吗？";
constexpr char kNoticeCaption[] = "提示";

constexpr int kNumberColumn = 10;
constexpr int kValueColumn = 20;

std::string decimal(int32_t value) { return std::to_string(value); }

ControlNotice rangeMessage(const char* text) { return {"", text, PromptIcon::None}; }

// A frame carries the target and hold as 16 bits and the rate as 8: the low bits of the value,
// as the analyser reads them. Only the stop frame sends values that were never range-checked.
uint16_t low16(int32_t value) { return static_cast<uint16_t>(static_cast<uint32_t>(value) & 0xFFFFu); }
uint8_t low8(int32_t value) { return static_cast<uint8_t>(static_cast<uint32_t>(value) & 0xFFu); }

}  // namespace

ProgramSegment FurnaceProgram::segment(int32_t index) const {
    if (index < 0 || index >= kSegmentSlots) return {};
    return {targetC[index], rateCPerMin[index], holdMin[index], defined[index] != 0};
}

void FurnaceProgram::clearTable() {
    std::fill(std::begin(targetC), std::end(targetC), 0);
    std::fill(std::begin(rateCPerMin), std::end(rateCPerMin), 0);
    std::fill(std::begin(holdMin), std::end(holdMin), 0);
    std::fill(std::begin(defined), std::end(defined), uint8_t{0});
}

std::string programmeListHeader() {
    return padColumn("段号", kNumberColumn) + padColumn("升温设定(℃)", kValueColumn) +
           padColumn("升温速率(℃/Min)", kValueColumn) + padColumn("恒温时间(Min)", kValueColumn);
}

std::string programmeListLine(int32_t index, const ProgramSegment& segment) {
    return padColumn(decimal(index + 1), kNumberColumn) + padColumn(decimal(segment.targetC), kValueColumn) +
           padColumn(decimal(segment.rateCPerMin), kValueColumn) + padColumn(decimal(segment.holdMin), kValueColumn);
}

std::vector<std::string> programmeList(const FurnaceProgram& program) {
    std::vector<std::string> lines{programmeListHeader()};
    // The list stops at the first segment without a mark; later ones are not shown.
    for (int32_t i = 0; i < kSegmentSlots && program.defined[i] != 0; ++i) {
        lines.push_back(programmeListLine(i, program.segment(i)));
    }
    return lines;
}

int32_t programmeFieldValue(std::string_view text) {
    const double value = std::trunc(ReadDecimalField(text));
    constexpr double kLow = std::numeric_limits<int32_t>::min();
    constexpr double kHigh = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(std::clamp(value, kLow, kHigh));
}

DialogPlacement programmeDialogPlacement(int32_t screenWidth, int32_t screenHeight) {
    return {(screenWidth - 325) / 2 - 163, (screenHeight - 550) / 2 + 100, 650, 550};
}

void ProgrammeEditor::open() {
    askingStop_ = askingExit_ = false;
    program_.definedThisOpening = 0;
    program_.selected = 0;
    screen_ = ProgrammeScreen{};
    screen_.selected = 0;
    // The list is filled only when segment 1 holds a value; otherwise it stays empty.
    if (program_.targetC[0] != 0) rebuildList();
    selectSegment(0);
    if (program_.running != 0) {
        screen_.startCaption = kStopCaption;
        screen_.fieldsEnabled = false;
        screen_.startEnabled = true;
    } else {
        screen_.startCaption = kStartCaption;
        screen_.fieldsEnabled = true;
        // Start is enabled again only by a successful add.
        screen_.startEnabled = false;
    }
}

void ProgrammeEditor::editField(int field, std::string text) {
    if (field >= 0 && field < 3) screen_.fields[static_cast<size_t>(field)] = std::move(text);
}

void ProgrammeEditor::selectSegment(int32_t index) {
    index = std::clamp(index, int32_t{0}, kProgrammeSegments - 1);
    program_.selected = index;
    screen_.selected = index;
    screen_.fields = {decimal(program_.targetC[index]), decimal(program_.rateCPerMin[index]),
                      decimal(program_.holdMin[index])};
}

ProgrammeStep ProgrammeEditor::addSegment() {
    ProgrammeStep step;
    program_.addedSinceLaunch = 1;
    const int32_t i = std::clamp(program_.selected, int32_t{0}, kProgrammeSegments - 1);

    // Every check runs, so up to three messages follow one another; each bad value becomes 0.
    bool inRange = true;
    auto check = [&](int32_t* slot, int field, int32_t low, int32_t high, const char* message) {
        *slot = programmeFieldValue(screen_.fields[static_cast<size_t>(field)]);
        if (*slot < low || *slot > high) {
            step.messages.push_back(rangeMessage(message));
            *slot = 0;
            screen_.fields[static_cast<size_t>(field)] = "0";
            inRange = false;
        }
    };
    check(&program_.targetC[i], 0, kMinTargetC, kMaxTargetC, kTargetOutOfRange);
    check(&program_.rateCPerMin[i], 1, kMinRateCPerMin, kMaxRateCPerMin, kRateOutOfRange);
    check(&program_.holdMin[i], 2, kMinHoldMin, kMaxHoldMin, kHoldOutOfRange);

    if (!inRange) {
        screen_.startEnabled = false;
        return step;
    }
    program_.defined[i] = 1;
    // After the tenth segment the selection stays on it: every add needs a segment 1 .. 10.
    const int32_t next = std::min(i + 1, kProgrammeSegments - 1);
    program_.selected = next;
    screen_.selected = next;
    step.frames.push_back(ProgramFrame(static_cast<uint8_t>(i + 1), low16(program_.targetC[i]),
                                       low8(program_.rateCPerMin[i]), low16(program_.holdMin[i])));
    program_.definedThisOpening = 1;
    screen_.startEnabled = true;
    rebuildList();
    return step;
}

ProgrammeStep ProgrammeEditor::pressStartStop(const StartMoment& now) {
    ProgrammeStep step;
    program_.running = program_.running != 0 ? 0 : 1;
    if (program_.running != 0) {
        screen_.startCaption = kStopCaption;
        screen_.fieldsEnabled = false;
        program_.startedSinceLaunch = 1;
        step.frames.push_back(ProgramStartFrame());
        ProgrammeRunRecord& run = program_.run;
        run.known = true;
        run.wallStartS = now.wallS;
        run.startC = now.furnaceC;
        run.startPoint = now.pointIndex;
        for (int32_t s = 0; s < kProgrammeSegments; ++s) run.segments[static_cast<size_t>(s)] = program_.segment(s);
        return step;
    }
    askingStop_ = true;
    program_.stopAsked = 1;
    step.question = ControlNotice{kNoticeCaption, kStopQuestion, PromptIcon::Warning};
    return step;
}

ProgrammeStep ProgrammeEditor::answerStop(bool ok) {
    ProgrammeStep step;
    if (!askingStop_) return step;
    askingStop_ = false;
    // A forced stop while the question was shown has stopped the furnace already.
    const bool forced = program_.stopAsked == 0;
    program_.stopAsked = 0;
    if (!ok) {
        if (!forced) program_.running = 1;
        return step;
    }
    screen_.startCaption = kStartCaption;
    screen_.fieldsEnabled = true;
    // The stop frame names the selected segment with what its fields hold, unchecked.
    const int32_t i = std::clamp(program_.selected, int32_t{0}, kProgrammeSegments - 1);
    program_.targetC[i] = programmeFieldValue(screen_.fields[0]);
    program_.rateCPerMin[i] = programmeFieldValue(screen_.fields[1]);
    program_.holdMin[i] = programmeFieldValue(screen_.fields[2]);
    step.frames.push_back(ProgramStopFrame(static_cast<uint8_t>(i + 1), low16(program_.targetC[i]),
                                           low8(program_.rateCPerMin[i]), low16(program_.holdMin[i])));
    program_.clearTable();
    program_.run.known = false;
    showHeaderOnly();
    screen_.fields = {"0", "0", "0"};
    program_.selected = 0;
    screen_.selected = 0;
    screen_.startEnabled = false;
    return step;
}

ProgrammeStep ProgrammeEditor::exit() {
    ProgrammeStep step;
    const bool defined = program_.definedThisOpening != 0;
    const bool running = program_.running != 0;
    if (defined && !running && program_.startedSinceLaunch == 0) {
        askingExit_ = true;
        step.question = ControlNotice{kNoticeCaption, kDiscardQuestion, PromptIcon::Warning};
        return step;
    }
    // Nothing added in this opening and nothing running: the table goes without a frame.
    if (!defined && !running) program_.clearTable();
    step.close = true;
    return step;
}

ProgrammeStep ProgrammeEditor::answerExit(bool ok) {
    ProgrammeStep step;
    if (!askingExit_) return step;
    askingExit_ = false;
    if (!ok) return step;
    program_.clearTable();
    step.frames.push_back(ProgramStopFrame());  // the discard frame
    step.close = true;
    return step;
}

bool ProgrammeEditor::linkWatchTick(bool linkUp) {
    if (!linkUp && program_.addedSinceLaunch != 0) {
        // The analyser may have lost what it was sent: the list is emptied, the values stay.
        showHeaderOnly();
        program_.selected = 0;
        screen_.selected = 0;
        std::fill(program_.defined, program_.defined + kMarksClearedByWatch, uint8_t{0});
        return false;
    }
    return program_.addedSinceLaunch == 0;
}

void ProgrammeEditor::showForcedStop() {
    showHeaderOnly();
    program_.selected = 0;
    screen_.selected = 0;
    std::fill(program_.defined, program_.defined + kMarksClearedByWatch, uint8_t{0});
    screen_.startCaption = kStartCaption;
    screen_.startEnabled = false;
    screen_.fields = {"0", "0", "0"};
    screen_.fieldsEnabled = true;
}

void ProgrammeEditor::rebuildList() { screen_.list = programmeList(program_); }

void ProgrammeEditor::showHeaderOnly() { screen_.list = {programmeListHeader()}; }

bool programmeRuns(const FurnaceProgram& program) { return program.running != 0 || program.stopAsked != 0; }

std::optional<Command> forceProgrammeStop(FurnaceProgram& program, bool dialogOpen) {
    if (!programmeRuns(program)) return std::nullopt;
    program.stopAsked = 0;
    if (dialogOpen) std::fill(program.defined, program.defined + kMarksClearedByWatch, uint8_t{0});
    program.running = 0;
    program.run.known = false;
    return ProgramStopFrame();
}

}  // namespace vespian
