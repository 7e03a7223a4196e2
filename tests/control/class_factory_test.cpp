#include "control/class_factory.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"
#include "orchestrate/library_catalog.h"
#include "support/errors.h"

namespace hv {
namespace {

TEST(ClassCatalog, ResolvesProgIdsAndClassIdentifiers) {
  testing::FakePlatform fake;
  const ClassCatalog catalog = libraryCatalog(fake.platform);
  EXPECT_EQ(catalog.resolve(u"HVDetector.Base").classInfo().name, "Base");
  EXPECT_EQ(catalog.resolve(u"hvdetector.inetdownloader").classInfo().name, "InetDownloader");
  EXPECT_EQ(catalog.resolve(u"{60246658-5626-449f-8701-66d278ad2eb2}").classInfo().name, "Base");
  const auto instance = catalog.resolve(u"HVDetector.InetDownloader").createInstance(fake.context);
  EXPECT_EQ(&instance->classInfo(), &catalog.factories().front().classInfo());
}

TEST(ClassCatalog, UnknownClassesAreNotRegistered) {
  testing::FakePlatform fake;
  const ClassCatalog catalog = libraryCatalog(fake.platform);
  for (const Text name : {u"HVDetector.Nothing", u"{00000000-0000-0000-0000-000000000001}", u""}) {
    EXPECT_EQ(testing::dispatchErrorOf([&] { catalog.resolve(name); }), kRegDbEClassNotReg);
  }
}

}  // namespace
}  // namespace hv
