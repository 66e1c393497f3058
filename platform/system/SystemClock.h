#pragma once

namespace morvane {

// Seconds since local midnight, with a fractional part (millisecond resolution).
float SecondsSinceMidnight();

}  // namespace morvane
