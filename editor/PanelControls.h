// The effect as the panel sees it, whatever the plug-in format: parameter
// values in 0..1, edit gestures, and what the groove display draws from.
// Each format binding implements it once.
#pragma once

#include <cstdint>

namespace gyrelle {

// The grooves' state the display animates; the rest it reads as parameters.
struct GrooveDisplayState {
  int32_t grooveCount;  // 2 to 10
  float phase;          // the grooves' place in their cycle, 0 up to grooveCount
};

class PanelControls {
 public:
  virtual ~PanelControls() = default;

  // Panel thread: the value the effect holds for parameter `index` (0..8).
  virtual float parameterValue(int32_t index) const = 0;
  // Panel thread: a user edit. beginEdit and endEdit bracket a gesture (a
  // drag); performEdit writes the value and tells the host, in or out of one.
  virtual void beginEdit(int32_t index) = 0;
  virtual void performEdit(int32_t index, float value) = 0;
  virtual void endEdit(int32_t index) = 0;
  // Panel thread: the grooves as the display shows them now.
  virtual GrooveDisplayState grooveDisplayState() const = 0;
  // Panel thread, from a widget's tracking loop: the host's own idle work.
  virtual void idleHost() = 0;
};

}  // namespace gyrelle
