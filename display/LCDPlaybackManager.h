// The one screen of the component: the splash view until the first track is known, then the
// playback view with three track lines, two time fields and a progress bar. Soft buttons select
// one of the four screens' line templates.
#pragma once

#include "CLCDBitmap.h"
#include "CLCDManager.h"
#include "CLCDProgressBar.h"
#include "CLCDStreamingText.h"
#include "CLCDText.h"
#include "pfc_string.h"

class LCDPlaybackManager : public CLCDManager {
public:
    LCDPlaybackManager();
    ~LCDPlaybackManager() override;

    HRESULT Prepare() override;
    // Also gives back the logo's bitmap, which the screen loaded and the bitmap object does not own.
    void Release() override;
    void OnSoftButtonDown(DWORD button) override;
    void OnSoftButtonUp(DWORD button) override;

    void ShowPlaybackView();
    void SetLines(pfc::string8 line1, pfc::string8 line2, pfc::string8 line3);

    void SetTimeModes(int left, int right);
    void SetTrackLength(double seconds);
    void SetPlayPosition(double seconds);
    void UpdateTimeTexts();

private:
    // The text a time field shows in a time display mode; null for a value outside the modes.
    const char* TimeText(int mode) const;
    void ReleaseLogo();

    CLCDStreamingText m_line1;
    CLCDStreamingText m_line2;
    CLCDStreamingText m_line3;
    CLCDText m_rightTime;
    CLCDText m_leftTime;
    CLCDText m_splashTitle;
    CLCDText m_splashSubtitle;
    CLCDBitmap m_logo;
    HBITMAP m_logoImage;
    CLCDProgressBar m_progress;
    int m_leftMode;
    int m_rightMode;
    char m_lengthText[255];
    char m_remainingText[255];
    char m_positionText[255];
    double m_length;
};
