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

// A site made for one control goes with the control, and never before.
TEST(CreationContext, ASiteOfTheControlsOwnLivesAsLongAsTheControl) {
  testing::FakePlatform fake;
  auto site = std::make_shared<testing::FakeUiSite>();
  const std::weak_ptr<UiSite> watched = site;
  auto base = fake.classes.resolve(u"HVDetector.Base").createInstance({fake.classes, *site, site});
  site.reset();
  EXPECT_FALSE(watched.expired());
  base.reset();
  EXPECT_TRUE(watched.expired());
}

}  // namespace
}  // namespace hv
