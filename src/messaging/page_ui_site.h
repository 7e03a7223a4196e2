#pragma once

#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui_site.h"

namespace hv {

// Where Base shows itself when its page is in a browser: what the panel shows is kept here and
// sent to the page as "panel" events, its message boxes as "box" events. Changes are gathered
// and sent as one event when the loop next turns (`schedule` runs a task then), and only when
// something the page would see changed: the bar at whole percentages. A box does not wait for
// the page: the flow goes on at once.
class PageUiSite : public UiSite, private MessageBoxPort {
 public:
  using Send = std::function<void(const nlohmann::json& message)>;
  using Schedule = std::function<void(std::function<void()> task)>;

  // `width` and `height`: the panel's size in twips.
  PageUiSite(std::int32_t width, std::int32_t height, Send send, Schedule schedule);
  ~PageUiSite() override;

  std::unique_ptr<LabelPort> addLabel(const ChildPlacement& placement) override;
  std::unique_ptr<ProgressBarPort> addProgressBar(const ChildPlacement& placement) override;
  std::unique_ptr<ImagePort> addImage(const ChildPlacement& placement) override;
  std::unique_ptr<ShapePort> addShape(const ChildPlacement& placement) override;
  MessageBoxPort& messageBox() override { return *this; }

  // Sends what the panel shows now, whether or not it changed (the page's first picture).
  void sendPanel();
  // Sends the changes not sent yet, now rather than when the loop next turns.
  void flush() {
    if (pending_)
      sendPanel();
  }

 private:
  class Label;
  class Bar;
  class Image;
  class Shape;
  struct Child {
    nlohmann::json state;
  };

  void showCritical(TextView text, std::optional<TextView> title) override;
  Child& add(const ChildPlacement& placement, std::string_view kind);
  void changed(std::size_t index, const char* key, nlohmann::json value);
  nlohmann::json panel(bool withPicture) const;

  std::int32_t width_;
  std::int32_t height_;
  Send send_;
  Schedule schedule_;
  std::vector<Child> children_;
  bool pending_ = false;
  bool pictureSent_ = false;
  // Alive while the site is: a task scheduled for a site that has gone does nothing.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace hv
