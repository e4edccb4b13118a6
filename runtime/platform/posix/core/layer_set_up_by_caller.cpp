// Where no on-screen presenter is linked (the tests, the fuzz targets, the benchmarks), whoever
// calls the runtime has set the layer up with a presenter of its own before the runtime opens:
// the runtime has nothing to bring up. The on-screen presenter's library brings its own
// definition (program_start.cpp), which starts the layer from KD508_OPTIONS when a program has
// its own main(); this one is weak so that that one wins wherever both reach the link.
#include "../../runtime_options.h"

namespace kd508::runtime_options {

[[gnu::weak]] void runtime_opening() {}

}  // namespace kd508::runtime_options
