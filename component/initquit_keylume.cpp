#include "initquit_keylume.h"

#include "LCD_Playback.h"
#include "cxx_boundary.h"
#include "settings.h"

void initquit_keylume::on_startup() {
    cxx_boundary::entry([] {
        LoadLineTemplates();
        g_lcdPlayback.SetTimeModes(cfg_left_time_mode, cfg_right_time_mode);
        // The stored boost applies from the first track, not only once the preferences page has
        // been opened.
        g_lcdPlayback.SetPriorityBoost(cfg_priority_boost, cfg_priority_seconds);
        g_lcdPlayback.SelectScreen(0);
        g_lcdPlayback.Start();
    });
}

void initquit_keylume::on_shutdown() {
    cxx_boundary::entry([] { g_lcdPlayback.Shutdown(); });
}
