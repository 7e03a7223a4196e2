#pragma once

#include <ocidl.h>

#include <atomic>

namespace hv {

// Enumerates the one outgoing interface a control has.
class SingleConnectionPointEnumerator : public IEnumConnectionPoints {
 public:
  explicit SingleConnectionPointEnumerator(IConnectionPoint* point, ULONG position = 0);
  virtual ~SingleConnectionPointEnumerator();

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE Next(ULONG count, IConnectionPoint** points, ULONG* fetched) override;
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
  HRESULT STDMETHODCALLTYPE Reset() override;
  HRESULT STDMETHODCALLTYPE Clone(IEnumConnectionPoints** copy) override;

 private:
  std::atomic<ULONG> references_{1};
  IConnectionPoint* point_;
  ULONG position_;
};

}  // namespace hv
