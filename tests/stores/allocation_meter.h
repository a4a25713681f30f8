#pragma once
// How much memory a piece of work holds at its peak: every operator new of the test program
// is counted (allocation_meter.cpp replaces the global operators).

#include <cstddef>

namespace morvel::testing {

class AllocationMeter {
 public:
  // From now on: the peak is measured over what is held now.
  AllocationMeter();
  // The most bytes held at once since construction, beyond what was held then.
  [[nodiscard]] std::size_t Peak() const;

 private:
  std::size_t base_;
};

}  // namespace morvel::testing
