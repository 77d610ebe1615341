// Plays one session on two fresh instances of the same build, one cut into
// blocks as the input says and one cut otherwise, and holds the outcome to
// the sound oracles: finite and within -1..1, the same from both cuts, both
// mono outputs the same, and, after hostile samples, back to silence within a
// bounded time once the input falls silent.
#pragma once

#include "tests/fuzz/SessionDriver.h"
#include "tests/fuzz/SessionPlan.h"

namespace gyrelle::fuzz {

void playAndCompare(const SessionPlan& plan, SessionDriver& first, SessionDriver& second);

}  // namespace gyrelle::fuzz
