#include "control/guid.h"

#include <gtest/gtest.h>

namespace hv {
namespace {

TEST(Guid, ParsesEitherCaseAndWritesUpperCaseRegistryForm) {
  const auto g = Guid::parse("{cb5bdc81-93c1-11cf-8f20-00805f2cd064}");
  ASSERT_TRUE(g);
  EXPECT_EQ(g->toString(), "{CB5BDC81-93C1-11CF-8F20-00805F2CD064}");
  EXPECT_EQ(*g, Guid::of("{CB5BDC81-93C1-11CF-8F20-00805F2CD064}"));
}

TEST(Guid, RefusesAnythingButTheRegistryForm) {
  for (const char* bad :
       {"", "CB5BDC81-93C1-11CF-8F20-00805F2CD064", "{CB5BDC81-93C1-11CF-8F20-00805F2CD06}",
        "{CB5BDC81-93C1-11CF-8F20_00805F2CD064}", "{CB5BDC81-93C1-11CF-8F20-00805F2CD06G}",
        "{CB5BDC81-93C1-11CF-8F20-00805F2CD0640}"}) {
    EXPECT_FALSE(Guid::parse(bad)) << bad;
  }
}

TEST(Guid, BytesLieAsInMemoryFirstThreeFieldsLittleEndian) {
  const Guid g = Guid::of("{00020400-0000-0000-C000-000000000046}");
  const std::array<std::uint8_t, 16> expected{0x00, 0x04, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                              0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
  EXPECT_EQ(g.bytes(), expected);
  EXPECT_EQ(Guid::fromBytes(expected), g);
}

}  // namespace
}  // namespace hv
