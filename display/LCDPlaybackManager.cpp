#include "LCDPlaybackManager.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "LCD_Playback.h"
#include "module_state.h"
#include "settings.h"
#include "utf8.h"

namespace {

constexpr int LINE_HEIGHT = 11;
constexpr int LINE_POINTS = 7;
constexpr int TIME_POINTS = 6;
constexpr int SPLASH_POINTS = 10;
constexpr DWORD LINE_SCROLL_RATE = 20;    // pixels per second
constexpr DWORD LINE_START_PAUSE = 1000;  // milliseconds
constexpr WORD LOGO_RESOURCE = 104;
constexpr const char* UNKNOWN_TIME = "?:??";

// Seconds as a whole number, truncated towards zero. Times before the start count as 0, and
// times too large for 32 bits stay at the largest: the text is never garbage.
int whole_seconds(double seconds) {
    if (!(seconds > 0)) return 0;
    if (seconds >= 2147483647.0) return 2147483647;
    return static_cast<int>(seconds);
}

// "m:ss", minutes without limit.
void FormatMinuteSecond(char* out, size_t size, double seconds) {
    int n = whole_seconds(seconds);
    int s = n % 60;
    int m = (n - s) / 60;
    std::snprintf(out, size, "%d:%02d", m, s);
}

void SetAsciiText(char* out, size_t size, const char* text) { std::snprintf(out, size, "%s", text); }

void PlaceLine(CLCDStreamingText& line, int top) {
    line.Prepare();
    line.SetOrigin(0, top);
    line.SetSize(LCD_WIDTH, LINE_HEIGHT);
    line.SetFaceName(WSTR("Small Fonts"));
    line.SetPointSize(LINE_POINTS);
    line.SetFitAlign(DT_CENTER);
    line.SetScrollRate(LINE_SCROLL_RATE);
    line.SetStartPause(LINE_START_PAUSE);
    line.SetText(WSTR(" "));
}

void PlaceText(CLCDText& text, int x, int y, int width, int height, const WCHAR* face, int points, UINT align,
               const WCHAR* content) {
    text.Prepare();
    text.SetOrigin(x, y);
    text.SetSize(width, height);
    text.SetFaceName(face);
    text.SetPointSize(points);
    text.SetTextAlign(align);
    text.SetWrapping(FALSE);
    text.SetText(content);
}

}  // namespace

LCDPlaybackManager::LCDPlaybackManager()
    : m_logoImage(nullptr),
      m_leftMode(current_position),
      m_rightMode(current_position),
      m_lengthText{},
      m_remainingText{},
      m_positionText{},
      m_length(0.0) {
    SetAsciiText(m_remainingText, sizeof m_remainingText, UNKNOWN_TIME);
    SetAsciiText(m_positionText, sizeof m_positionText, "0:00");
}

LCDPlaybackManager::~LCDPlaybackManager() { ReleaseLogo(); }

void LCDPlaybackManager::Release() {
    ReleaseLogo();
    CLCDManager::Release();
}

void LCDPlaybackManager::ReleaseLogo() {
    m_logo.SetImage(nullptr);
    if (m_logoImage != nullptr) DeleteObject(m_logoImage);
    m_logoImage = nullptr;
}

HRESULT LCDPlaybackManager::Prepare() {
    PlaceLine(m_line1, 0);
    PlaceLine(m_line2, LINE_HEIGHT);
    PlaceLine(m_line3, 2 * LINE_HEIGHT);
    m_progress.Prepare();
    m_progress.SetOrigin(0, 39);
    m_progress.SetSize(LCD_WIDTH, 4);
    m_progress.SetRange(0, 100);
    m_progress.SetPosition(0.0f);
    PlaceText(m_leftTime, 0, 30, 40, 12, WSTR("Small Fonts"), TIME_POINTS, DT_LEFT, WSTR(" "));
    PlaceText(m_rightTime, 0, 30, LCD_WIDTH, 12, WSTR("Small Fonts"), TIME_POINTS, DT_RIGHT, WSTR(" "));
    m_logo.Prepare();
    m_logo.SetOrigin(5, 0);
    m_logo.SetSize(26, 41);
    m_logo.SetVisible(TRUE);
    // Prepared again (the component started again), the screen loads the logo afresh.
    ReleaseLogo();
    m_logoImage = static_cast<HBITMAP>(
        LoadImageW(g_module_instance, MAKEINTRESOURCEW(LOGO_RESOURCE), IMAGE_BITMAP, 0, 0, LR_MONOCHROME));
    m_logo.SetImage(m_logoImage);
    PlaceText(m_splashTitle, 30, 6, 130, 18, WSTR("Tahoma"), SPLASH_POINTS, DT_CENTER, WSTR("Velvox"));
    PlaceText(m_splashSubtitle, 30, 20, 130, 18, WSTR("Tahoma"), SPLASH_POINTS, DT_CENTER, WSTR("Media LCD Display"));

    AddChild(&m_logo);
    AddChild(&m_splashTitle);
    AddChild(&m_splashSubtitle);
    return CLCDManager::Prepare();
}

void LCDPlaybackManager::OnSoftButtonDown(DWORD button) {
    switch (button) {
        case SoftButton1:
            SelectLcdScreen(0);
            break;
        case SoftButton2:
            SelectLcdScreen(1);
            break;
        case SoftButton3:
            SelectLcdScreen(2);
            break;
        case SoftButton4:
            SelectLcdScreen(3);
            break;
        default:
            break;
    }
}

void LCDPlaybackManager::OnSoftButtonUp(DWORD) {}

void LCDPlaybackManager::ShowPlaybackView() {
    RemoveChild(&m_logo);
    RemoveChild(&m_splashTitle);
    RemoveChild(&m_splashSubtitle);
    for (CLCDBase* object : {static_cast<CLCDBase*>(&m_line1), static_cast<CLCDBase*>(&m_line2),
                             static_cast<CLCDBase*>(&m_line3), static_cast<CLCDBase*>(&m_leftTime),
                             static_cast<CLCDBase*>(&m_rightTime), static_cast<CLCDBase*>(&m_progress)})
        AddChild(object);
}

void LCDPlaybackManager::SetLines(pfc::string8 line1, pfc::string8 line2, pfc::string8 line3) {
    m_line1.SetText(pfc::wide_from_utf8(line1.text()).get());
    m_line2.SetText(pfc::wide_from_utf8(line2.text()).get());
    m_line3.SetText(pfc::wide_from_utf8(line3.text()).get());
}

void LCDPlaybackManager::SetTimeModes(int left, int right) {
    m_leftMode = left;
    m_rightMode = right;
}

void LCDPlaybackManager::SetTrackLength(double seconds) {
    if (seconds < 0) {
        SetAsciiText(m_lengthText, sizeof m_lengthText, UNKNOWN_TIME);
    } else {
        FormatMinuteSecond(m_lengthText, sizeof m_lengthText, seconds);
        m_progress.SetRange(0, whole_seconds(seconds));
    }
    m_length = seconds;
    UpdateTimeTexts();
}

void LCDPlaybackManager::SetPlayPosition(double seconds) {
    FormatMinuteSecond(m_positionText, sizeof m_positionText, seconds);
    if (m_length < 0) {
        SetAsciiText(m_remainingText, sizeof m_remainingText, UNKNOWN_TIME);
        m_progress.SetPosition(0.0f);
    } else {
        // Past the end (a stream with no length, say) the countdown rests at "-0:00".
        char remaining[sizeof m_remainingText - 1];
        FormatMinuteSecond(remaining, sizeof remaining, std::trunc(m_length - seconds));
        std::snprintf(m_remainingText, sizeof m_remainingText, "-%s", remaining);
        m_progress.SetPosition(static_cast<float>(seconds));
    }
    UpdateTimeTexts();
}

const char* LCDPlaybackManager::TimeText(int mode) const {
    switch (mode) {
        case current_position:
            return m_positionText;
        case track_length:
            return m_lengthText;
        case countdown:
            return m_remainingText;
        default:
            return nullptr;
    }
}

void LCDPlaybackManager::UpdateTimeTexts() {
    if (const char* left = TimeText(m_leftMode)) m_leftTime.SetText(pfc::wide_from_utf8(left).get());
    if (const char* right = TimeText(m_rightMode)) m_rightTime.SetText(pfc::wide_from_utf8(right).get());
}
