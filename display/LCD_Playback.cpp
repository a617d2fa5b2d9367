#include "LCD_Playback.h"

#include <cstring>

#include "cxx_boundary.h"
#include "pfc_exceptions.h"
#include "settings.h"
#include "string_for_the_other_side.h"

namespace {

constexpr uint32_t PLAYBACK_EVENT_MASK = 0x1EE;  // new track, stop, seek, edit, the two stream infos, time
constexpr UINT TICK_MILLISECONDS = 100;
constexpr int32_t MIN_BOOST_TICKS = 10;
constexpr int32_t MAX_BOOST_TICKS = 300;
constexpr DWORD NEVER_EXPIRES = 0xFFFFFFFF;

DWORD WINAPI NullLcdCallback(void*, DWORD) { return 0; }

// A compiled template for the text; a text the host cannot compile shows the file name instead.
service_ptr_t<compiled_template> CompileTemplate(const char* text) {
    service_ptr_t<template_compiler> compiler = find_host_service<template_compiler>();
    service_ptr_t<compiled_template> script;
    auto compile = [&](const char* source) {
        return cxx_boundary::call_out([&] { return compiler->compile(script, source); });
    };
    if (!compile(text) && !compile("%filename%")) throw pfc::exception_bug_check_v2();
    return script;
}

// The track's length in seconds; 0 when the host has no information for it.
double TrackLength(track_handle& track) {
    cxx_boundary::call_out([&] { track.lock_info(); });
    const track_info* info = nullptr;
    bool known = cxx_boundary::call_out([&] { return track.get_info_locked(info); });
    double length = known && info ? cxx_boundary::call_out([&] { return info->get_length(); }) : 0.0;
    cxx_boundary::call_out([&] { track.unlock_info(); });
    return length;
}

}  // namespace

LCD_Playback::LCD_Playback()
    : m_connectContext{},
      m_timerId(0),
      m_started(false),
      m_boostEnabled(false),
      m_boostActive(false),
      m_boostTicks(0),
      m_boostLimit(0) {}

// Members go in reverse declaration order: the templates, then the output, then the screen; the
// current track's reference is dropped first.
LCD_Playback::~LCD_Playback() { m_currentTrack.release(); }

void LCD_Playback::Start() {
    service_ptr_t<playback_callback_registry> registry = find_host_service<playback_callback_registry>();
    cxx_boundary::call_out([&] { registry->register_callback(this, PLAYBACK_EVENT_MASK, false); });
    std::memset(&m_connectContext, 0, sizeof m_connectContext);
    m_connectContext.applicationName = WSTR("Velvox LCD Display");
    m_connectContext.firstOption = 0;
    m_connectContext.secondOption = 0;
    m_connectContext.callback = NullLcdCallback;
    m_connectContext.callbackContext = this;
    m_connectContext.connection = 0;
    m_output.PrepareConnection(&m_connectContext, 0);
    m_screen.Prepare();
    m_screen.ArmTimeout(NEVER_EXPIRES);
    m_output.AddScreen(&m_screen);
    m_output.LockScreen(&m_screen);
    m_timerId = SetTimer(nullptr, 0, TICK_MILLISECONDS, LcdTimerProc);
}

void LCD_Playback::Shutdown() {
    KillTimer(nullptr, m_timerId);
    service_ptr_t<playback_callback_registry> registry = find_host_service<playback_callback_registry>();
    cxx_boundary::call_out([&] { registry->unregister_callback(this); });
    m_output.Release();
    m_screen.Release();
    m_currentTrack.release();
}

void LCD_Playback::OnTimer() {
    if (m_boostActive && ++m_boostTicks > m_boostLimit) {
        m_boostActive = false;
        m_output.SetPriority(PriorityNormal);
    }
    m_output.Advance(GetTickCount());
    m_output.RenderScreen();
}

void LCD_Playback::SelectScreen(int index) {
    if (index < 0 || index > 3) return;  // only the four screens have templates
    for (int line = 0; line < 3; ++line) m_activeTemplates[line] = m_lineTemplates[index * 3 + line];
    if (m_started) RenderTrack(m_currentTrack);
}

void LCD_Playback::SetLineTemplates(const pfc::string8 templates[12]) {
    for (int i = 0; i < 12; ++i) m_lineTemplates[i] = templates[i];
    if (m_started) RenderTrack(m_currentTrack);
}

void LCD_Playback::SetTimeModes(int left, int right) { m_screen.SetTimeModes(left, right); }

void LCD_Playback::SetPriorityBoost(bool enabled, int seconds) {
    m_boostEnabled = enabled;
    // Ten ticks a second, held to 1..30 seconds. Computed in 64 bits so that no stored value,
    // however large, can overflow.
    int64_t ticks = static_cast<int64_t>(seconds) * 1000 / TICK_MILLISECONDS;
    if (ticks > MAX_BOOST_TICKS) ticks = MAX_BOOST_TICKS;
    if (ticks < MIN_BOOST_TICKS) ticks = MIN_BOOST_TICKS;
    m_boostLimit = static_cast<int32_t>(ticks);
}

void LCD_Playback::BoostPriority() {
    if (!m_boostEnabled) return;
    m_boostTicks = 0;
    m_output.SetPriority(PriorityBoost);
    m_boostActive = true;
}

// Each of the three active templates, compiled afresh, formats its line.
template <typename FormatLine>
void LCD_Playback::FormatLines(pfc::string8 (&lines)[3], FormatLine format) {
    for (int line = 0; line < 3; ++line) format(lines[line], CompileTemplate(m_activeTemplates[line].text()).get());
}

void LCD_Playback::RenderTrack(service_ptr_t<track_handle> track) {
    if (!m_started || !track.is_valid()) return;
    pfc::string8 lines[3];
    FormatLines(lines, [&](pfc::string8& line, compiled_template* script) {
        string_for_the_other_side host_line(line);
        cxx_boundary::call_out([&] { track->format_title(host_line, script); });
    });
    m_screen.SetTrackLength(TrackLength(*track));
    m_screen.SetLines(lines[0], lines[1], lines[2]);
    m_currentTrack = track;
}

void LCD_Playback::RenderStreamInfo(const track_info& info) {
    if (!m_started || !m_currentTrack.is_valid()) return;
    pfc::string8 lines[3];
    FormatLines(lines, [&](pfc::string8& line, compiled_template* script) {
        string_for_the_other_side host_line(line);
        cxx_boundary::call_out([&] { m_currentTrack->format_title_from_info(info, host_line, script); });
    });
    m_screen.SetLines(lines[0], lines[1], lines[2]);
}

// The first event that brings a track starts the display (a new track from position 0) and shows
// the playback view once the lines are rendered; later events only render.
void LCD_Playback::RenderEventTrack(service_ptr_t<track_handle> track, bool fromStart) {
    if (m_started) {
        RenderTrack(track);
        return;
    }
    m_started = true;
    if (fromStart) ShowPosition(0.0);
    RenderTrack(track);
    m_screen.ShowPlaybackView();
}

void LCD_Playback::ShowPosition(double seconds) { m_screen.SetPlayPosition(seconds); }

// The events are operations that the host calls: what fails in them reaches the host as its own
// exception.
void LCD_Playback::playback_starting(uint32_t, uint32_t) {}

void LCD_Playback::new_track(track_argument track) {
    cxx_boundary::entry([&] {
        RenderEventTrack(service_ptr_t<track_handle>::adopt(track), true);
        BoostPriority();
    });
}

void LCD_Playback::playback_stopped(uint32_t) { ShowPosition(0.0); }

void LCD_Playback::position_sought(double seconds) { ShowPosition(seconds); }

void LCD_Playback::pause_changed(uint32_t) {}

void LCD_Playback::track_edited(track_argument track) {
    cxx_boundary::entry([&] { RenderEventTrack(service_ptr_t<track_handle>::adopt(track), false); });
}

void LCD_Playback::stream_info_changed(const track_info& info) {
    cxx_boundary::entry([&] { RenderStreamInfo(info); });
}

void LCD_Playback::stream_track_info_changed(const track_info& info) {
    cxx_boundary::entry([&] { RenderStreamInfo(info); });
}

void LCD_Playback::time_advanced(double seconds) { ShowPosition(seconds); }

void LCD_Playback::volume_changed(uint32_t) {}

void LoadLineTemplates() {
    const cfg_string* settings[12] = {&cfg_softkey1_line1, &cfg_softkey1_line2, &cfg_softkey1_line3,
                                      &cfg_softkey2_line1, &cfg_softkey2_line2, &cfg_softkey2_line3,
                                      &cfg_softkey3_line1, &cfg_softkey3_line2, &cfg_softkey3_line3,
                                      &cfg_softkey4_line1, &cfg_softkey4_line2, &cfg_softkey4_line3};
    pfc::string8 templates[12];
    for (int i = 0; i < 12; ++i) templates[i] = settings[i]->get_ptr();
    g_lcdPlayback.SetLineTemplates(templates);
}

void SelectLcdScreen(int index) { g_lcdPlayback.SelectScreen(index); }

void CALLBACK LcdTimerProc(HWND, UINT, UINT_PTR, DWORD) {
    cxx_boundary::entry([] { g_lcdPlayback.OnTimer(); });
}
