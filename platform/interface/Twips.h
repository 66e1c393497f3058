#pragma once

namespace morvane {

// Window geometry is laid out in twips, 1/1440 inch: 15 to a logical pixel at 96 dots per inch.
// Qt scales logical pixels for high-DPI screens by itself.
inline constexpr int kTwipsPerPixel = 15;

}  // namespace morvane
