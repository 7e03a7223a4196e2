#include <gtest/gtest.h>

#include <sstream>

#include "host/cli.h"

namespace hv {
namespace {

TEST(LogOption, NeedsATargetInEitherSpelling) {
  struct Case {
    std::vector<std::string> argv;
    int status;
  };
  const Case cases[] = {
      {{"hvdetector", "--log", "stderr", "describe"}, 0},
      {{"hvdetector", "--log=stderr", "describe"}, 0},
      {{"hvdetector", "--log=", "describe"}, 2},
      {{"hvdetector", "--log"}, 2},
  };
  for (const auto& c : cases) {
    std::ostringstream out, err;
    EXPECT_EQ(runHost(c.argv, out, err), c.status) << c.argv[1] << " " << err.str();
  }
}

}  // namespace
}  // namespace hv
