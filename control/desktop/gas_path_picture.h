#pragma once
// The picture of the analyser's gas path behind the panel "气路控制" (1000 × 580): inlets, the two
// mass-flow controllers, the detector's reference and measuring cells, the dosing loop, the
// furnace with its U-shaped sample tube, the cold trap, the vents and the tail-gas port, with the
// eight valves drawn where their buttons sit. Drawn in code.

#include <QImage>
#include <QPoint>
#include <QRect>

namespace vespian {

// Where valve k's button sits on the picture (its centre is the valve).
QRect valveButtonRect(int k);
// The panel's other buttons.
QRect flowSetButtonRect(int channel);  // channel 1 or 2 (ids 1022, 1023)
QRect programmeSetButtonRect();        // id 1024
QRect guideButtonRect(int guide);      // 0 TPD … 3 titration (ids 1025 … 1028)

// The background picture. `valveStates` marks open valves in the drawing (bit k = valve k on);
// the buttons themselves carry the captions.
QImage gasPathPicture(unsigned valveStates);

}  // namespace vespian
