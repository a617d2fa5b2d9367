// The component's sixteen persistent settings, constructed at module load in this order.
#pragma once

#include "cfg_var.h"

// What a time field of the playback screen shows (the values of cfg_left_time_mode and
// cfg_right_time_mode).
enum time_display_mode {
    current_position = 0,
    track_length = 1,
    countdown = 2,
};

extern cfg_int_t<bool> cfg_priority_boost;
extern cfg_int_t<int> cfg_priority_seconds;
extern cfg_int_t<int> cfg_left_time_mode;
extern cfg_int_t<int> cfg_right_time_mode;
// The twelve line templates: soft key 1 lines 1 to 3, then soft keys 2, 3 and 4.
extern cfg_string cfg_softkey1_line1;
extern cfg_string cfg_softkey1_line2;
extern cfg_string cfg_softkey1_line3;
extern cfg_string cfg_softkey2_line1;
extern cfg_string cfg_softkey2_line2;
extern cfg_string cfg_softkey2_line3;
extern cfg_string cfg_softkey3_line1;
extern cfg_string cfg_softkey3_line2;
extern cfg_string cfg_softkey3_line3;
extern cfg_string cfg_softkey4_line1;
extern cfg_string cfg_softkey4_line2;
extern cfg_string cfg_softkey4_line3;
