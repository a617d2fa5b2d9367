// The display controller: starts and stops the display, runs its 100 ms tick, keeps the line
// templates of the four screens and the track last shown, raises the priority on a song change,
// and follows the host's playback events.
#pragma once

#include "CLCDOutput.h"
#include "LCDPlaybackManager.h"
#include "host_interfaces.h"
#include "pfc_string.h"

class LCD_Playback : public play_callback {
public:
    LCD_Playback();
    ~LCD_Playback();
    LCD_Playback(const LCD_Playback&) = delete;
    LCD_Playback& operator=(const LCD_Playback&) = delete;

    void Start();
    void Shutdown();
    void OnTimer();
    void SelectScreen(int index);
    void SetLineTemplates(const pfc::string8 templates[12]);
    void SetTimeModes(int left, int right);
    void SetPriorityBoost(bool enabled, int seconds);
    void BoostPriority();
    void RenderTrack(service_ptr_t<track_handle> track);
    void RenderStreamInfo(const track_info& info);
    void ShowPosition(double seconds);

    // Playback events.
    void playback_starting(uint32_t command, uint32_t paused) override;
    void new_track(track_argument track) override;
    void playback_stopped(uint32_t reason) override;
    void position_sought(double seconds) override;
    void pause_changed(uint32_t state) override;
    void track_edited(track_argument track) override;
    void stream_info_changed(const track_info& info) override;
    void stream_track_info_changed(const track_info& info) override;
    void time_advanced(double seconds) override;
    void volume_changed(uint32_t volume) override;

private:
    template <typename FormatLine>
    void FormatLines(pfc::string8 (&lines)[3], FormatLine format);
    void RenderEventTrack(service_ptr_t<track_handle> track, bool fromStart);

    LCDPlaybackManager m_screen;
    CLCDOutput m_output;
    LcdConnectContext m_connectContext;
    pfc::string8 m_lineTemplates[12];
    pfc::string8 m_activeTemplates[3];
    UINT_PTR m_timerId;
    service_ptr_t<track_handle> m_currentTrack;
    bool m_started;
    bool m_boostEnabled;
    bool m_boostActive;
    int32_t m_boostTicks;
    int32_t m_boostLimit;
};

// The one display controller of the module.
extern LCD_Playback g_lcdPlayback;

// Hands the twelve template settings, soft key 1 lines 1 to 3 first, to the display controller.
void LoadLineTemplates();

// Selects one of the four screens; the playback screen's soft buttons call it.
void SelectLcdScreen(int index);

// The thread timer's callback: one tick of the display controller.
void CALLBACK LcdTimerProc(HWND window, UINT message, UINT_PTR timer, DWORD time);
