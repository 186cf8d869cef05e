#pragma once
// The supported metal's surface for hydrogen–oxygen pulse titration. Each surface metal atom is
// bare, covered by hydrogen or covered by oxygen. Oxygen takes 3/4 O2 per hydrogen-covered atom
// (2 H + 3/2 O2 → O + H2O) and 1/2 O2 per bare one; hydrogen takes 3/2 H2 per oxygen-covered atom
// (O + 3/2 H2 → H + H2O) and 1/2 H2 per bare one. A pulse is taken up the more completely the more
// room the surface has left: the first pulses vanish wholly or partly, later ones pass until every
// pulse comes through whole.

namespace vespian::sim {

class MetalSurface {
public:
    static constexpr double kSurfaceAtomsMl = 1.5;  // gas volume (ml, STP) of the surface atoms

    // Hydrogen or oxygen flowing over the sample covers the surface completely.
    void flowHydrogen() { hydrogen_ = 1.0, oxygen_ = 0.0; }
    void flowOxygen() { hydrogen_ = 0.0, oxygen_ = 1.0; }

    // What the surface can still take of hydrogen or oxygen, ml.
    double hydrogenRoom() const;
    double oxygenRoom() const;
    // A pulse of `ml` of hydrogen (isOxygen false) or oxygen; returns the volume taken up.
    double takeUp(bool isOxygen, double ml);

    double hydrogenCovered() const { return hydrogen_; }
    double oxygenCovered() const { return oxygen_; }

private:
    double hydrogen_ = 0.0;
    double oxygen_ = 1.0;  // as received: the metal has seen air
};

}  // namespace vespian::sim
