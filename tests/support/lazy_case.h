#pragma once

#include <ostream>

namespace hv::testing {

// A table row whose data is made only when its test runs. Parameters are built when the test
// binary starts, and every test runs in a process of its own, so a row holding hundreds of
// megabytes would otherwise be built again for each of them.
template <class Row>
struct LazyCase {
  const char* name;
  Row (*make)();
};

template <class Row>
void PrintTo(const LazyCase<Row>& c, std::ostream* os) {
  *os << c.name;
}

}  // namespace hv::testing
