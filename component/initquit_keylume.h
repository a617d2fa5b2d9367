// The component's start-up and shut-down hooks.
#pragma once

#include "component_services.h"

class initquit_keylume : public initquit {
public:
    void on_startup() override;
    void on_shutdown() override;
};
