#include "zelm2008/windows/SpeedUnits.h"

namespace zelm {

double ParisWordsPerMinute(int unitMs) {
    return unitMs > 0 ? 1200.0 / unitMs : 0.0;
}

} // namespace zelm
