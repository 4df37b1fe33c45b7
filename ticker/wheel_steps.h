// Turns of the wheel over the ticker into steps through the list. A notched wheel sends 120 a
// notch; a precision touchpad sends many small deltas for one swipe, which must add up to 120
// before they make one step.
#pragma once

namespace tickra {

class WheelSteps {
public:
    static constexpr int kDeltaPerStep = 120;  // WHEEL_DELTA

    // Adds one message's delta (a 16-bit value); returns the whole steps it completes, positive
    // away from the user. A turn the other way drops what was left of the last one.
    int Add(int delta);
    void Reset() { pending_ = 0; }

private:
    int pending_ = 0;
};

}  // namespace tickra
