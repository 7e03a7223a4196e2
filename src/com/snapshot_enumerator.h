#pragma once

#include <ocidl.h>

#include <utility>
#include <vector>

#include "com/com_errors.h"
#include "com/com_object.h"

namespace hv {

// The items an enumerator hands out hold a reference each, as their interfaces require.
inline void holdItem(IConnectionPoint* point) {
  point->AddRef();
}
inline void releaseItem(IConnectionPoint* point) {
  point->Release();
}
inline void holdItem(const CONNECTDATA& connection) {
  connection.pUnk->AddRef();
}
inline void releaseItem(const CONNECTDATA& connection) {
  connection.pUnk->Release();
}

// A COM enumerator (IEnumConnectionPoints, IEnumConnections) over the items as they were when it
// was made: connections made or broken while a client walks it do not move its position.
template <typename Enumerator, typename Item>
class SnapshotEnumerator : public ComObject<ComLifetime::OwnReferences, Enumerator> {
 public:
  explicit SnapshotEnumerator(std::vector<Item> items, ULONG position = 0)
      : items_(std::move(items)), position_(position) {
    for (const Item& item : items_)
      holdItem(item);
  }
  ~SnapshotEnumerator() override {
    for (const Item& item : items_)
      releaseItem(item);
  }

  HRESULT STDMETHODCALLTYPE Next(ULONG count, Item* out, ULONG* fetched) override {
    if (!out || (count > 1 && !fetched))
      return E_POINTER;
    ULONG handed = 0;
    for (; handed < count && position_ < items_.size(); ++handed, ++position_) {
      out[handed] = items_[position_];
      holdItem(out[handed]);
    }
    if (fetched)
      *fetched = handed;
    return handed == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    const ULONG left = static_cast<ULONG>(items_.size()) - position_;
    position_ += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    position_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(Enumerator** copy) override {
    if (!copy)
      return E_POINTER;
    *copy = nullptr;
    return guarded([&] {
      *copy = new SnapshotEnumerator(items_, position_);
      return S_OK;
    });
  }

 private:
  std::vector<Item> items_;
  ULONG position_;
};

using ConnectionPointEnumerator = SnapshotEnumerator<IEnumConnectionPoints, IConnectionPoint*>;
using ConnectionEnumerator = SnapshotEnumerator<IEnumConnections, CONNECTDATA>;

}  // namespace hv
