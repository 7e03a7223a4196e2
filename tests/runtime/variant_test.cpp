#include "runtime/variant.h"

#include <gtest/gtest.h>

#include "runtime/script_error.h"
#include "support/errors.h"

namespace hv {
namespace {

using testing::errorNumberOf;

TEST(Variant, TypesCarryTheHostsTags) {
  EXPECT_EQ(Variant().type(), VarType::Empty);
  EXPECT_EQ(Variant(std::int16_t{1}).type(), VarType::Integer);
  EXPECT_EQ(Variant(std::int32_t{1}).type(), VarType::Long);
  EXPECT_EQ(Variant(1.0f).type(), VarType::Single);
  EXPECT_EQ(Variant(1.0).type(), VarType::Double);
  EXPECT_EQ(Variant(u"x").type(), VarType::String);
  EXPECT_EQ(Variant::boolean(true).type(), VarType::Boolean);
  EXPECT_EQ(Variant(Variant::Array{}).type(), VarType::Array);
}

TEST(Variant, BooleansAreMinusOneAndZero) {
  EXPECT_EQ(Variant::boolean(true).toInt32(), -1);
  EXPECT_EQ(Variant::boolean(false).toInt32(), 0);
  EXPECT_EQ(Variant::boolean(true).toText(), u"True");
  EXPECT_EQ(Variant::boolean(false).toText(), u"False");
  EXPECT_TRUE(Variant(u"true").toBoolean());
  EXPECT_FALSE(Variant(u"FALSE").toBoolean());
  EXPECT_TRUE(Variant(std::int32_t{7}).toBoolean());
}

TEST(Variant, ConversionsFollowTheRuntimeRules) {
  EXPECT_EQ(Variant(u" 12.5 ").convertedTo(VarType::Integer), Variant(std::int16_t{12}));
  EXPECT_EQ(Variant(40.96).convertedTo(VarType::Long), Variant(std::int32_t{41}));
  EXPECT_EQ(Variant(std::int32_t{5}).convertedTo(VarType::String), Variant(u"5"));
  EXPECT_EQ(Variant().convertedTo(VarType::String), Variant(u""));
  EXPECT_EQ(Variant().convertedTo(VarType::Long), Variant(std::int32_t{0}));
  EXPECT_EQ(errorNumberOf([] { Variant(u"abc").toInt32(); }), 13);
  EXPECT_EQ(errorNumberOf([] { Variant(std::int32_t{40000}).toInt16(); }), 6);
  EXPECT_EQ(errorNumberOf([] { Variant(Variant::Array{}).toText(); }), 13);
}

TEST(Variant, DirectAccessRefusesAnotherType) {
  Variant v(u"abc");
  v.text() += u"d";
  EXPECT_EQ(v, Variant(u"abcd"));
  EXPECT_EQ(errorNumberOf([&] { v.longValue(); }), 13);
}

}  // namespace
}  // namespace hv
