// Cost of the domain check and of turning a URL into a local file name, for the URLs pages pass
// and for the longest a page can.
#include <benchmark/benchmark.h>

#include "download/download_naming.h"
#include "download/site_domain.h"

namespace hv {
namespace {

Text typicalUrl() {
  return u"https://www." + SiteDomain() + u"/dl/documents/report.cvx?id=7&session=abcdef";
}

Text longUrl() {
  return u"https://www." + SiteDomain() + u"/" + Text(32000, u'a') + u".cvx";
}

void domainCheck(benchmark::State& state, const Text& url) {
  for (auto _ : state)
    benchmark::DoNotOptimize(passesHostTest(url));
}

void localName(benchmark::State& state, const Text& url) {
  for (auto _ : state) {
    const Variant parts = getFileNameParts(getFileNameFromURL(url));
    Text name =
        timeStampedFileName(parts.array()[0].text(), 63921449486000.0, parts.array()[1].text());
    requirePlainFileName(name);
    benchmark::DoNotOptimize(name);
  }
}

BENCHMARK_CAPTURE(domainCheck, typical, typicalUrl());
BENCHMARK_CAPTURE(domainCheck, long_path, longUrl());
BENCHMARK_CAPTURE(localName, typical, typicalUrl());
BENCHMARK_CAPTURE(localName, long_name, longUrl());

}  // namespace
}  // namespace hv
