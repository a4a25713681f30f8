#include "engine/options_setting.h"

namespace morvel {

std::int32_t IntervalToMs(std::int32_t choice) {
  switch (choice) {
    case 1:
      return 1'800'000;
    case 2:
      return 3'600'000;
    case 3:
      return 14'400'000;
    case 4:
      return 28'800'000;
    default:
      return 900'000;
  }
}

}  // namespace morvel
