// The seam between the format-free session player and one plug-in format:
// a driver owns one fresh instance and turns the plan's requests and block
// calls into that format's calls.
#pragma once

#include <cstdint>

#include "tests/fuzz/SessionPlan.h"

namespace gyrelle::fuzz {

class SessionDriver {
 public:
  virtual ~SessionDriver() = default;

  virtual int32_t inputCount() const = 0;
  // One request; `first` is the instance that also answers the query-only
  // requests. Checks the format's own promises about the answer.
  virtual void apply(const SessionEvent& event, bool first) = 0;
  // One block: `inputs` holds inputCount() channel pointers (null where the
  // call leaves one out), `outputs` two, which equal the inputs when in place.
  virtual void process(const BlockCall& call, float* const* inputs, float* const* outputs) = 0;
  // After the session: the format's checks on the instance's final state.
  virtual void finish() {}
};

}  // namespace gyrelle::fuzz
