#pragma once
// The one value the start window hands to the exercise window: the centre
// number of the sun, 0 to 10. It lives for the whole run and starts at 0.

#include <cstdint>

namespace app {

inline std::int16_t NumeroCentrale = 0;

} // namespace app
