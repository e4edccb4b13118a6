#include "runtime_state.h"

namespace kd508 {

namespace {
RuntimeState state;
}

RuntimeState& runtime_state() { return state; }

void reset_runtime_state() { state = RuntimeState{}; }

}  // namespace kd508
