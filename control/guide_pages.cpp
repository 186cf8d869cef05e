#include "control/guide_pages.h"

#include <algorithm>
#include <cmath>

namespace vespian {

namespace {

using Valves = std::array<int8_t, kValveCount>;
// Valve order: 处理气1, 处理气2, 脉冲气, 定量环, 旁通, 冷阱, 样品出口, 检测器出口.
constexpr Valves kAllOff = {0, 0, 0, 0, 0, 0, 0, 0};
constexpr Valves kToVent = {0, 0, 0, 0, 0, 0, 1, 0};

constexpr ProgramSegment seg(int32_t target, int32_t rate, int32_t hold) { return {target, rate, hold, true}; }

constexpr GuideWindowInfo kGuideWindows[kGuideKinds] = {
    {"TPD操作说明", 1025, 1000, 1312, 1050, 700, GuideScrolling::TopAndBottom,
     "程序升温脱附：以氨气为探针分子，测定固体酸中心的数量与强度分布"},
    {"TPO操作说明", 1026, 1050, 1110, 1050, 600, GuideScrolling::TopAndBottom,
     "程序升温氧化：在含氧载气中升温，测定还原态金属的氧化与积炭的燃烧"},
    {"TPR操作说明", 1027, 1050, 1141, 1050, 600, GuideScrolling::TopAndBottom,
     "程序升温还原：在含氢载气中升温，测定可还原物种的还原温度与耗氢量"},
    {"氢氧滴定操作说明", 1028, 1050, 3600, 1050, 600, GuideScrolling::ClientHeightSteps,
     "氢氧脉冲滴定：测定负载金属的吸附量、分散度与活性比表面积"},
};

// --- TPD: ammonia on the acid sites, desorbed by a ramp in nitrogen ---------------------------
const GuideStep kTpd[] = {
    {"1. 接气与装样",
     {"将氮气接入后面板的载气口，氨气接入处理气2口，减压阀出口压力调至0.1–0.2 MPa。",
      "称取40–60目样品50–100 mg，装入石英U形管中部，两端用石英棉固定。",
      "将样品管装入加热炉，热电偶插到样品床位置（未插入炉中时仪器报警）。",
      "打开仪器电源，检测器预热30分钟以上；在“气路控制”中确认各阀处于初始位置。"},
     std::nullopt, std::nullopt, {}, false, {}},
    {"2. 流量设定与预处理",
     {"“流量设定”：1#通道选氮气30 ml/min，", "2#通道选氨气30 ml/min，各按“设定”。",
      "样品出口阀置“└→”：预处理的脱附物放空，", "不进入检测器。",
      "“程序升温设定”：500℃、10℃/Min、恒温60 Min，", "“加入温控段”后按“开始程序升温”。",
      "恒温结束后停止程序升温，待炉温降到100℃左右。"},
     GuideFlows{"氮气", 30, "氨气", 30}, kToVent, {seg(500, 10, 60)}, false, {}},
    {"3. 吸附氨气",
     {"设定100℃、10℃/Min、恒温60 Min并开始，", "使吸附和吹扫温度保持稳定。",
      "处理气2阀置“→”：氨气经2#通道流过样品，", "吸附30分钟。",
      "吸附期间样品出口阀保持“└→”，过量的氨放空。"},
     GuideFlows{"氮气", 30, "氨气", 30}, Valves{0, 1, 0, 0, 0, 0, 1, 0}, {seg(100, 10, 60)}, false, {}},
    {"4. 吹扫与稳定基线",
     {"处理气2阀置回“╳”关闭氨气，载气在100℃吹扫", "60分钟，除去物理吸附的氨。",
      "吹扫30分钟后样品出口阀置回“─→”，", "载气经样品进入检测器。",
      "基线平直（10分钟漂移小于0.05 mV）后按“信号调零”。", "恒温结束后按“停止程序升温”。"},
     GuideFlows{"氮气", 30, "氨气", 30}, kAllOff, {}, false, "观察：基线平直后再开始升温"},
    {"5. 程序升温脱附",
     {"设定600℃、10℃/Min、恒温30 Min，按“开始程序升温”。", "预览曲线给出总时长和预计结束时间。",
      "弱酸中心的脱附峰约在150–250℃，", "强酸中心约在350–500℃。",
      "升温期间不要切换阀门：切换会在基线上", "产生压力扰动。"},
     GuideFlows{"氮气", 30, "氨气", 30}, kAllOff, {seg(600, 10, 30)}, false, "观察：脱附峰回到基线后脱附才算完全"},
    {"6. 结束与数据处理",
     {"到达预计结束时间、谱图回到基线后按“停止程序升温”，保存谱图（文件→保存）。",
      "用“人工识峰”在峰的起点和终点单击，“应用于...”选“样品”，在报告视图中打开TPD报告。",
      "在报告图上单击各峰顶标出Tm，填写样品质量等数据后保存报告文件并打印。",
      "炉温降到100℃以下后再取出样品管；关闭氨气钢瓶总阀。"},
     std::nullopt, std::nullopt, {}, false, {}},
};

// --- TPO: oxygen consumed by a reduced or coked sample ------------------------------------------
const GuideStep kTpo[] = {
    {"1. 接气与装样",
     {"将氦气接入载气口，氧气接入处理气1口，减压阀出口压力调至0.1–0.2 MPa。",
      "称取积炭催化剂或已还原的样品50–100 mg装入石英U形管，两端用石英棉固定，装入加热炉。",
      "热电偶插到样品床位置；打开电源，检测器预热30分钟以上。"},
     std::nullopt, std::nullopt, {}, false, {}},
    {"2. 干燥预处理",
     {"“流量设定”：1#通道氦气30 ml/min，", "2#通道氧气3 ml/min（约9%氧气）。",
      "样品出口阀置“└→”放空。", "设定150℃、10℃/Min、恒温30 Min并开始，", "在氦气中干燥样品。",
      "恒温结束后停止程序升温，待炉温降到50℃以下。"},
     GuideFlows{"氦气", 30, "氧气", 3}, kToVent, {seg(150, 10, 30)}, false, {}},
    {"3. 切入氧气，稳定基线",
     {"处理气1阀置“→”：氧气混入载气流过样品。", "冷阱阀置“→”：生成的水被冷阱截留。",
      "样品出口阀置回“─→”，混合气进入检测器。", "等待基线平直（约20–30分钟），按“信号调零”。",
      "冷阱用冰盐浴或干冰-乙醇浴。"},
     GuideFlows{"氦气", 30, "氧气", 3}, Valves{1, 0, 0, 0, 0, 1, 0, 0}, {}, false, {}},
    {"4. 程序升温氧化",
     {"设定800℃、10℃/Min、恒温20 Min，", "按“开始程序升温”。",
      "样品耗氧时出现耗氧峰：还原态金属在较低温度", "氧化，积炭一般在400–650℃烧除。",
      "峰的方向与检测器极性有关，必要时用“颠倒极性”。"},
     GuideFlows{"氦气", 30, "氧气", 3}, Valves{1, 0, 0, 0, 0, 1, 0, 0}, {seg(800, 10, 20)}, false,
     "观察：耗氧峰的位置与面积"},
    {"5. 结束与数据处理",
     {"峰回到基线后停止程序升温，处理气1阀和冷阱阀置回“╳”，氦气继续吹扫降温。",
      "保存谱图，在报告视图中打开TPO报告，标出Tm后保存报告文件并打印。"},
     std::nullopt, std::nullopt, {}, false, {}},
};

// --- TPR: hydrogen consumed by a reducible oxide ------------------------------------------------
const GuideStep kTpr[] = {
    {"1. 接气与装样",
     {"将氩气接入载气口，氢气接入处理气1口，减压阀出口压力调至0.1–0.2 MPa。",
      "称取氧化态样品30–100 mg（含可还原组分约0.1 mmol为宜）装入石英U形管，装入加热炉。",
      "热电偶插到样品床位置；各接头涂检漏液检漏。",
      "氢气为可燃气体：仪器报警“检测到可燃气体泄漏”时，立即关闭仪器电源和氢气钢瓶。"},
     std::nullopt, std::nullopt, {}, false, {}},
    {"2. 吹扫预处理",
     {"“流量设定”：1#通道氩气30 ml/min，", "2#通道氢气3 ml/min（约10%氢气）。",
      "样品出口阀置“└→”放空。", "设定300℃、10℃/Min、恒温30 Min并开始，", "在氩气中除去水分。",
      "恒温结束后停止程序升温，待炉温降到50℃以下。"},
     GuideFlows{"氩气", 30, "氢气", 3}, kToVent, {seg(300, 10, 30)}, false, {}},
    {"3. 切入氢气，稳定基线",
     {"处理气1阀置“→”：氢气混入载气流过样品。", "冷阱阀置“→”：还原生成的水被冷阱截留，",
      "不进入检测器。", "样品出口阀置回“─→”，基线平直（约30分钟）", "后按“信号调零”。",
      "冷阱用冰盐浴，或异丙醇-液氮浴（约-80℃）。"},
     GuideFlows{"氩气", 30, "氢气", 3}, Valves{1, 0, 0, 0, 0, 1, 0, 0}, {}, false, {}},
    {"4. 程序升温还原",
     {"设定900℃、10℃/Min、恒温30 Min，", "按“开始程序升温”。", "样品耗氢时出现耗氢峰：CuO约250–300℃，",
      "NiO约350–450℃，Fe2O3分两步还原。", "峰的方向与检测器极性有关，必要时用“颠倒极性”。"},
     GuideFlows{"氩气", 30, "氢气", 3}, Valves{1, 0, 0, 0, 0, 1, 0, 0}, {seg(900, 10, 30)}, false,
     "观察：峰顶变平说明氢气耗尽，应减少样品量"},
    {"5. 结束与数据处理",
     {"峰回到基线后停止程序升温，处理气1阀和冷阱阀置回“╳”，氩气吹扫降温。",
      "保存谱图，在报告视图中打开TPR报告，标出Tm后保存并打印；耗氢量可用已知量的CuO标定。"},
     std::nullopt, std::nullopt, {}, false, {}},
};

// --- H2–O2 pulse titration of a supported metal -------------------------------------------------
const GuideStep kTitration[] = {
    {"1. 接气与装样",
     {"将氩气接入载气口，氢气接入处理气1口，氧气接入处理气2口，减压阀出口压力0.1–0.2 MPa。",
      "称取负载型金属催化剂（如Pt/Al2O3）100–200 mg装入石英U形管，装入加热炉，热电偶插到样品床。",
      "定量环体积注明在仪器铭牌上，计算时作为每个脉冲的体积。"},
     std::nullopt, std::nullopt, {}, false, {}},
    {"2. 还原",
     {"“流量设定”：1#通道氩气30 ml/min，", "2#通道氢气10 ml/min。",
      "处理气1阀置“→”通入氢气，样品出口阀置“└→”放空。", "程序：第一段400℃、10℃/Min、恒温60 Min；",
      "第二段30℃、10℃/Min、恒温30 Min。", "样品在氢气中还原并降到室温，", "表面金属吸附氢。"},
     GuideFlows{"氩气", 30, "氢气", 10}, Valves{1, 0, 0, 0, 0, 0, 1, 0}, {seg(400, 10, 60), seg(30, 10, 30)}, false,
     {}},
    {"3. 吹扫",
     {"停止程序升温，处理气1阀置回“╳”，", "氩气吹扫30分钟，除去气相和弱吸附的氢。",
      "样品出口阀置回“─→”，", "基线平直后按“信号调零”。"},
     GuideFlows{"氩气", 30, "氢气", 10}, kAllOff, {}, false, "观察：基线平直"},
    {"4. 定量环标定（满峰）",
     {"“流量设定”：2#通道改选氧气10 ml/min；", "处理气2阀、脉冲气阀置“→”，氧气充满定量环。",
      "旁通阀置“→”：载气绕过样品管，此时的脉冲峰", "即定量环的满峰。",
      "定量环阀“→”进样，峰回到基线后再按一次充样，", "重复3次。",
      "取一个满峰“应用于...”选“定量”，输入定量环体积。"},
     GuideFlows{"氩气", 30, "氧气", 10}, Valves{0, 1, 1, 0, 1, 0, 0, 0}, {}, true, "观察：三个满峰面积一致"},
    {"5. 氧气脉冲滴定",
     {"旁通阀置回“╳”，脉冲经过样品。", "每4分钟进一个氧气脉冲（定量环阀“→”进样，", "“╳”充样）。",
      "开始的脉冲被表面吸附的氢全部或部分消耗，", "峰很小或没有峰；随后峰逐渐长大。",
      "连续3个峰与满峰相同，表面已饱和，滴定结束。"},
     GuideFlows{"氩气", 30, "氧气", 10}, Valves{0, 1, 1, 0, 0, 0, 0, 0}, {}, true,
     "观察：峰面积逐个增大直至与满峰相同"},
    {"6. 氢气脉冲滴定",
     {"“流量设定”：2#通道改选氢气10 ml/min；", "处理气2阀置“╳”，处理气1阀置“→”，",
      "氢气充满定量环。", "按同样方法进氢气脉冲，表面的氧被氢滴定，", "耗氢量约为耗氧量的2倍。",
      "峰面积恢复为满峰后结束；两次滴定可互相校核。"},
     GuideFlows{"氩气", 30, "氢气", 10}, Valves{1, 0, 1, 0, 0, 0, 0, 0}, {}, true, "观察：前几个氢气脉冲被消耗"},
    {"7. 数据处理",
     {"用“人工识峰”依次标出各脉冲峰，以满峰为定量峰，选取滴定段“应用于...”选“样品”。",
      "在报告视图中打开氢氧滴定报告，输入样品质量、金属含量和化学计量数。",
      "程序按各脉冲被消耗的体积求出吸附量、金属分散度和活性比表面积。",
      "保存报告文件并打印；关闭氢气和氧气钢瓶总阀。"},
     std::nullopt, std::nullopt, {}, false, {}},
    {"8. 注意事项",
     {"氢气与氧气不得同时通入：切换2#通道气体前，先关闭对应的处理气阀并吹扫5分钟。",
      "仪器报警“检测到可燃气体泄漏”时，立即关闭仪器电源和氢气钢瓶。",
      "滴定温度应保持恒定（室温或程序的恒温段），温度变化会改变吸附量。",
      "每个脉冲峰必须完全回到基线后再进下一个脉冲。"},
     std::nullopt, std::nullopt, {}, false, {}},
};

constexpr PreparationInfo kPreparations[kGuideKinds] = {
    {"TPD测试准备", 32824, "Step 1:", "将氮气接入载气口,将氨气接入处理气2.", {GasPort::Carrier, GasPort::Treatment2}, 2},
    {"TPO测试准备", 32825, "Step 1:", "将氦气接入载气口,将氧气接入处理气1.", {GasPort::Carrier, GasPort::Treatment1}, 2},
    {"TPR测试准备", 32826, "Step 1:", "将氩气接入载气口,将氢气接入处理气1.", {GasPort::Carrier, GasPort::Treatment1}, 2},
    {"氢氧滴定测试准备", 32827, "Step 1:", "将氩气接入载气口,将氢气接入处理气1,将氧气接入处理气2.",
     {GasPort::Carrier, GasPort::Treatment1, GasPort::Treatment2}, 3},
};

// The titration's picture is three times as tall as the others: its diagrams get the room.
int32_t diagramHeight(GuideKind kind) { return kind == GuideKind::Titration ? 2 * kGuideDiagramHeight : kGuideDiagramHeight; }

bool hasDiagram(const GuideStep& step) {
    return step.valves.has_value() || step.pulses ||
           std::any_of(step.programme.begin(), step.programme.end(), [](const ProgramSegment& s) { return s.defined; });
}

}  // namespace

const GuideWindowInfo& guideInfo(GuideKind kind) { return kGuideWindows[static_cast<int32_t>(kind)]; }

std::optional<GuideKind> guideForCommand(int32_t commandId) {
    for (int32_t i = 0; i < kGuideKinds; ++i) {
        if (kGuideWindows[i].commandId == commandId) return static_cast<GuideKind>(i);
    }
    return std::nullopt;
}

std::span<const GuideStep> guideSteps(GuideKind kind) {
    switch (kind) {
    case GuideKind::Tpd: return kTpd;
    case GuideKind::Tpo: return kTpo;
    case GuideKind::Tpr: return kTpr;
    case GuideKind::Titration: return kTitration;
    }
    return {};
}

GuideLayout layoutGuide(GuideKind kind) {
    GuideLayout layout;
    const std::span<const GuideStep> steps = guideSteps(kind);
    int32_t content = 0;
    for (const GuideStep& step : steps) {
        if (layout.count == static_cast<int32_t>(layout.steps.size())) break;
        GuideStepPlace& place = layout.steps[static_cast<size_t>(layout.count++)];
        place.lines = static_cast<int32_t>(
            std::count_if(step.lines.begin(), step.lines.end(), [](std::string_view l) { return !l.empty(); }));
        place.diagram = hasDiagram(step);
        int32_t body = place.lines * kGuideLineHeight + (step.watch.empty() ? 0 : kGuideLineHeight);
        if (place.diagram) body = std::max(body, diagramHeight(kind));
        place.height = kGuideHeadingHeight + body + kGuideStepPadding;
        content += place.height;
    }
    layout.contentHeight = kGuideTitleBand + content + kGuideBottomMargin;
    const int32_t pictureHeight = guideInfo(kind).pictureHeight;
    layout.fits = layout.contentHeight <= pictureHeight;
    // The spare height goes evenly between the steps, so the last one ends near the bottom.
    const int32_t spare = layout.count > 0 ? std::max(0, pictureHeight - layout.contentHeight) / layout.count : 0;
    int32_t y = kGuideTitleBand;
    for (int32_t i = 0; i < layout.count; ++i) {
        GuideStepPlace& place = layout.steps[static_cast<size_t>(i)];
        place.top = y;
        place.height += spare;
        y += place.height;
    }
    return layout;
}

GuideScroll::GuideScroll(GuideScrolling scrolling, int32_t pictureHeight, int32_t clientHeight)
    : scrolling_(scrolling), pictureHeight_(std::max(pictureHeight, 0)), clientHeight_(std::max(clientHeight, 1)) {}

int32_t GuideScroll::positions() const {
    if (pictureHeight_ <= clientHeight_) return 1;
    if (scrolling_ == GuideScrolling::TopAndBottom) return 2;
    return (pictureHeight_ + clientHeight_ - 1) / clientHeight_;
}

int32_t GuideScroll::offset() const {
    const int32_t bottom = std::max(0, pictureHeight_ - clientHeight_);
    if (scrolling_ == GuideScrolling::TopAndBottom) return position_ == 0 ? 0 : bottom;
    // The last step stops where the picture's bottom meets the window's, showing no empty band.
    return std::min(position_ * clientHeight_, bottom);
}

void GuideScroll::scrollTo(int32_t position) { position_ = std::clamp(position, 0, positions() - 1); }

int32_t portHighlightX(GasPort port) {
    const int32_t i = static_cast<int32_t>(port);
    // The ports sit 65.5 pixels apart on the rear-panel picture.
    return 504 + static_cast<int32_t>(std::lround(65.5 * (i - static_cast<int32_t>(GasPort::Carrier)) - 0.01));
}

const PreparationInfo& preparationInfo(GuideKind kind) { return kPreparations[static_cast<int32_t>(kind)]; }

std::optional<GuideKind> preparationForCommand(int32_t commandId) {
    for (int32_t i = 0; i < kGuideKinds; ++i) {
        if (kPreparations[i].commandId == commandId) return static_cast<GuideKind>(i);
    }
    return std::nullopt;
}

}  // namespace vespian
