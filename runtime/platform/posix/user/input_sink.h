// The layer's side of the presenter: input turns into queued messages.
#pragma once

#include "presenter.h"

namespace kd508::platform {

InputSink& layer_input_sink();

}  // namespace kd508::platform
