// Tests set the layer up themselves, with a headless presenter of their own, before the
// runtime opens: the runtime has nothing to bring up. The on-screen program's counterpart
// (program_start.cpp) starts the layer from KD508_OPTIONS when the program has its own main().
#include "../../runtime_options.h"

namespace kd508::runtime_options {

void runtime_opening() {}

}  // namespace kd508::runtime_options
