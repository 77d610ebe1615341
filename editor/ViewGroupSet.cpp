#include "editor/ViewGroupSet.h"

#include "toolkit/PanelFrame.h"

namespace gyrelle {

ViewGroupSet::ViewGroupSet(PanelFrame* frame) : frame_(frame) {}

bool ViewGroupSet::addToGroup(Widget* widget, int32_t group) {
  // The limit is checked here rather than trusted to the callers.
  if (widget == nullptr || !valid(group) || counts_[group] >= kMembers) return false;
  members_[group][counts_[group]++] = widget;
  if (shown_[group] && frame_ != nullptr) frame_->addWidget(widget);
  return true;
}

void ViewGroupSet::showGroup(int32_t group, bool redraw) {
  if (!valid(group) || shown_[group]) return;
  for (int32_t i = 0; i < counts_[group]; ++i) {
    if (frame_ != nullptr) frame_->addWidget(members_[group][i]);
  }
  shown_[group] = true;
  if (redraw && frame_ != nullptr) frame_->drawWidgetNow(nullptr);
}

void ViewGroupSet::hideGroup(int32_t group) {
  if (!valid(group) || !shown_[group]) return;
  for (int32_t i = 0; i < counts_[group]; ++i) {
    if (frame_ != nullptr) frame_->removeWidget(members_[group][i]);
  }
  shown_[group] = false;
}

bool ViewGroupSet::isShown(int32_t group) const { return valid(group) && shown_[group]; }

int32_t ViewGroupSet::count(int32_t group) const { return valid(group) ? counts_[group] : 0; }

Widget* ViewGroupSet::member(int32_t group, int32_t index) const {
  if (!valid(group) || index < 0 || index >= counts_[group]) return nullptr;
  return members_[group][index];
}

}  // namespace gyrelle
