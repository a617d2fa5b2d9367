#include "initquit_keylume.h"

// The hooks start and stop the display controller; this module does not have one yet, so until it
// arrives the host's start-up and shut-down leave the component as it is.
void initquit_keylume::on_startup() {}
void initquit_keylume::on_shutdown() {}
