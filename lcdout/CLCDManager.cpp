#include "CLCDManager.h"

CLCDManager::CLCDManager() : m_startTick(0), m_elapsed(0), m_timeout(0) {}

// The screen manager's own Release, never a subclass's: the subclass part is gone by now.
CLCDManager::~CLCDManager() { CLCDManager::Release(); }

// A screen always covers the whole LCD, whatever size was set before.
HRESULT CLCDManager::Prepare() {
    HRESULT result = CLCDBase::Prepare();
    if (FAILED(result)) {
        Release();
        return result;
    }
    SetOrigin(0, 0);
    SetSize(LCD_WIDTH, LCD_HEIGHT);
    result = m_gfx.CreateSurface(GetWidth(), GetHeight());
    if (FAILED(result)) {
        Release();
        return result;
    }
    return S_OK;
}

void CLCDManager::Release() { m_gfx.DestroySurface(); }

// Every frame starts all black; the pixels are complete and flushed on return.
HRESULT CLCDManager::RenderScreen() {
    if (m_gfx.DeviceContext() == nullptr || m_gfx.BitmapHandle() == nullptr) return E_FAIL;
    m_gfx.StartFrame();
    m_gfx.FillBlack();
    Paint(m_gfx);
    m_gfx.FinishFrame();
    return S_OK;
}

// Unsigned difference: right across the wrap of the tick count.
void CLCDManager::Advance(DWORD now) {
    m_elapsed = now - m_startTick;
    Tick(now);
}

void CLCDManager::OnSoftButtonDown(DWORD) {}

void CLCDManager::OnSoftButtonUp(DWORD) {}

BOOL CLCDManager::IsExpired() { return m_startTick == 0 || m_elapsed > m_timeout; }

void CLCDManager::ArmTimeout(DWORD milliseconds) {
    m_startTick = GetTickCount();
    m_elapsed = 0;
    m_timeout = milliseconds;
}

LcdBitmap* CLCDManager::BuildLcdBitmap() { return m_gfx.BuildLcdBitmap(); }

BITMAPINFO* CLCDManager::BitmapHeader() { return m_gfx.BitmapHeader(); }
