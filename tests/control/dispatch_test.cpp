#include "control/dispatch.h"

#include <gtest/gtest.h>

#include <vector>

#include "runtime/numeric_conversion.h"
#include "support/errors.h"

namespace hv {
namespace {

using testing::dispatchErrorOf;

// A control whose members record that they ran, so a test can tell that a refused call never
// reached the library.
const ClassInfo& probeClass() {
  using K = MemberKind;
  using T = VarType;
  static const ClassInfo info{
      .name = "Probe",
      .clsid = Guid::of("{11111111-2222-3333-4444-555555555555}"),
      .progId = "Test.Probe",
      .versionMajor = 1,
      .versionMinor = 0,
      .defaultInterface = {{"_Probe", Guid::of("{11111111-2222-3333-4444-555555555556}"), 1, 0},
                           {}},
      .eventInterface = {{"__Probe", Guid::of("{11111111-2222-3333-4444-555555555557}"), 1, 0}, {}},
      .members =
          {{1, "Append", K::Method, {{"s", T::String, true}, {"n", T::Long, false}}, T::String},
           {2, "Count", K::PropertyGet, {}, T::Long},
           {3, "Limit", K::PropertyPut, {{"value", T::Integer, true}}, T::Empty},
           {4, "AssignThenFail", K::Method, {{"s", T::String, true}}, T::Empty},
           {5, "Swap", K::Method, {{"v", T::Variant, true}}, T::Empty}},
      .functionTableOrder = {},
      .events = {},
      .miscStatus = 0,
      .toolboxBitmap = 0,
      .visibleAtRunTime = false,
      .uiActivation = false,
      .objectSafety = false,
  };
  return info;
}

class Probe : public ControlObject {
 public:
  Probe() : ControlObject(probeClass()) {}

  Variant invokeMember(const MemberInfo& member, std::span<Variant> args) override {
    ++calls;
    switch (member.id) {
      case 1:
        args[0].text() += numberToText(args[1].longValue());
        return args[0].text();
      case 2:
        return std::int32_t{calls};
      case 3:
        limit = args[0].integer();
        args[0].integer() = 99;
        return {};
      case 4:
        args[0].text() = u"assigned";
        throw ScriptError(-1, u"Probe", u"failed after assigning");
      case 5:
        args[0] = Variant(u"swapped");
        return {};
    }
    return {};
  }

  int calls = 0;
  std::int16_t limit = 0;
};

TEST(Dispatch, NamesAreLookedUpCaseInsensitively) {
  EXPECT_EQ(idOfName(probeClass(), u"append"), 1);
  EXPECT_EQ(idOfName(probeClass(), u"COUNT"), 2);
  EXPECT_EQ(dispatchErrorOf([] { idOfName(probeClass(), u"Appendix"); }), kDispEUnknownName);
}

TEST(Dispatch, ByReferenceArgumentsChangeTheCallersVariables) {
  Probe probe;
  std::vector<Variant> args{Variant(u"n="), Variant(std::int32_t{7})};
  EXPECT_EQ(invoke(probe, 1, MemberKind::Method, args), Variant(u"n=7"));
  EXPECT_EQ(args[0], Variant(u"n=7"));
  EXPECT_EQ(args[1], Variant(std::int32_t{7}));  // by value: untouched

  std::vector<Variant> limit{Variant(std::int32_t{5})};
  invoke(probe, 3, MemberKind::PropertyPut, limit);
  EXPECT_EQ(probe.limit, 5);
  EXPECT_EQ(limit[0], Variant(std::int16_t{99}));  // written back in the declared type

  std::vector<Variant> any{Variant(std::int32_t{1})};
  invoke(probe, 5, MemberKind::Method, any);
  EXPECT_EQ(any[0], Variant(u"swapped"));
}

TEST(Dispatch, ByReferenceArgumentsAreWrittenBackAlsoWhenTheMemberFails) {
  Probe probe;
  std::vector<Variant> args{Variant(u"before")};
  EXPECT_THROW(invoke(probe, 4, MemberKind::Method, args), ScriptError);
  EXPECT_EQ(args[0], Variant(u"assigned"));
}

TEST(Dispatch, AFailedMemberLeavesAVariableOfAnotherTypeAsItWas) {
  Probe probe;
  std::vector<Variant> args{Variant(37623.5)};
  EXPECT_THROW(invoke(probe, 4, MemberKind::Method, args), ScriptError);
  EXPECT_EQ(args[0], Variant(37623.5));
}

TEST(Dispatch, ArgumentsAreCoercedToTheDeclaredTypes) {
  Probe probe;
  std::vector<Variant> args{Variant(std::int32_t{12}), Variant(u" 3 ")};
  EXPECT_EQ(invoke(probe, 1, MemberKind::Method, args), Variant(u"123"));
  EXPECT_EQ(args[0], Variant(u"123"));
}

TEST(Dispatch, RefusalsHappenBeforeTheLibraryRuns) {
  struct Case {
    const char* what;
    DispId id;
    MemberKind kind;
    std::vector<Variant> args;
    HResult code;
  };
  const Case cases[] = {
      {"unknown id", 42, MemberKind::Method, {}, kDispEMemberNotFound},
      {"read a write-only property", 3, MemberKind::PropertyGet, {}, kDispEMemberNotFound},
      {"write a read-only property",
       2,
       MemberKind::PropertyPut,
       {Variant(std::int32_t{1})},
       kDispEMemberNotFound},
      {"call a property as a method", 2, MemberKind::Method, {}, kDispEMemberNotFound},
      {"too few arguments", 1, MemberKind::Method, {Variant(u"x")}, kDispEBadParamCount},
      {"too many arguments", 2, MemberKind::PropertyGet, {Variant()}, kDispEBadParamCount},
      {"text that is not a number",
       1,
       MemberKind::Method,
       {Variant(u"x"), Variant(u"abc")},
       kDispETypeMismatch},
      {"an array for a text",
       1,
       MemberKind::Method,
       {Variant(Variant::Array{}), Variant(std::int32_t{1})},
       kDispETypeMismatch},
      {"a number beyond the parameter's range",
       3,
       MemberKind::PropertyPut,
       {Variant(std::int32_t{70000})},
       kDispEOverflow},
  };
  for (const auto& c : cases) {
    Probe probe;
    std::vector<Variant> args = c.args;
    EXPECT_EQ(dispatchErrorOf([&] { invoke(probe, c.id, c.kind, args); }), c.code) << c.what;
    EXPECT_EQ(probe.calls, 0) << c.what;
    EXPECT_EQ(args, c.args) << c.what;
  }
}

TEST(Dispatch, TheFailingArgumentIsNamed) {
  Probe probe;
  std::vector<Variant> args{Variant(u"x"), Variant(u"abc")};
  try {
    invoke(probe, 1, MemberKind::Method, args);
    FAIL();
  } catch (const DispatchError& e) {
    EXPECT_EQ(e.argument(), 1u);
  }
}

}  // namespace
}  // namespace hv
