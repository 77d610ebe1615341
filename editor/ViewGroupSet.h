// Lists of panel widgets that are put into and taken out of the frame
// together (the help overlay hides group 0). The set never creates or
// destroys a widget. Panel thread only.
#pragma once

#include <cstdint>

namespace gyrelle {

class PanelFrame;
class Widget;

class ViewGroupSet {
 public:
  static constexpr int32_t kGroups = 2;
  static constexpr int32_t kMembers = 100;

  explicit ViewGroupSet(PanelFrame* frame);

  // Appends to the group (and to the frame if the group is shown). A full
  // group, an unknown group or a null widget is ignored and answers false.
  bool addToGroup(Widget* widget, int32_t group);
  // A hidden group's members enter the frame in member order; with
  // `redraw` the whole frame is drawn at once.
  void showGroup(int32_t group, bool redraw);
  // A shown group's members leave the frame (they are not destroyed).
  void hideGroup(int32_t group);

  bool isShown(int32_t group) const;
  int32_t count(int32_t group) const;
  Widget* member(int32_t group, int32_t index) const;

 private:
  static bool valid(int32_t group) { return group >= 0 && group < kGroups; }

  PanelFrame* frame_;
  Widget* members_[kGroups][kMembers] = {};
  int32_t counts_[kGroups] = {};
  bool shown_[kGroups] = {};
};

}  // namespace gyrelle
