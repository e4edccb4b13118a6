#include "platform_state.h"

#include "gdi/gdi_objects.h"
#include "user/input_sink.h"
#include "termination_signal.h"

namespace kd508::platform {

PlatformState the_platform_state;

void reset_platform(std::unique_ptr<Presenter> presenter) {
    // The old presenter goes last: windows it shows are dropped with the old state first.
    auto old_presenter = std::move(the_platform_state.presenter);
    the_platform_state = PlatformState{};
    the_platform_state.presenter = std::move(presenter);
    create_stock_objects();
    if (the_platform_state.presenter) {
        the_platform_state.presenter->attach(layer_input_sink());
        install_termination_handlers();
    }
}

}  // namespace kd508::platform
