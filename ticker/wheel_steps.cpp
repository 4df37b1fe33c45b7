#include "ticker/wheel_steps.h"

namespace tickra {

int WheelSteps::Add(int delta) {
    if ((delta > 0 && pending_ < 0) || (delta < 0 && pending_ > 0)) {
        pending_ = 0;
    }
    pending_ += delta;
    const int steps = pending_ / kDeltaPerStep;
    pending_ -= steps * kDeltaPerStep;
    return steps;
}

}  // namespace tickra
