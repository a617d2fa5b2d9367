// The device output: holds the screens, renders the active one, sends its frame to the keyboard's
// LCD through the LCD Manager with a priority, polls the soft buttons and turns their changes into
// events for the active screen, and re-establishes the connection and the device when they are
// lost. It is itself a screen, whose own surface is never drawn: it is what goes out while no
// screen is active.
#pragma once

#include <list>

#include "CLCDManager.h"
#include "lcdclient.h"

constexpr DWORD SoftButton1 = 0x1;
constexpr DWORD SoftButton2 = 0x2;
constexpr DWORD SoftButton3 = 0x4;
constexpr DWORD SoftButton4 = 0x8;

constexpr DWORD PriorityNone = 0;
constexpr DWORD PriorityNormal = 128;
constexpr DWORD PriorityBoost = 255;

class CLCDOutput : public CLCDManager {
public:
    CLCDOutput();
    ~CLCDOutput() override;

    HRESULT Prepare() override;
    void Release() override;

    HRESULT RenderScreen() override;
    void Advance(DWORD now) override;
    void OnSoftButtonDown(DWORD button) override;
    void OnSoftButtonUp(DWORD button) override;

    virtual void OnScreenExpired(CLCDManager* screen);
    virtual void CloseDevice(LONG device);
    virtual void Disconnect(LONG connection);

    HRESULT PrepareConnection(LcdConnectContext* context, DWORD reserved);
    void AddScreen(CLCDManager* screen);
    void ShowScreen(CLCDManager* screen);
    void LockScreen(CLCDManager* screen);
    void UnlockScreen();
    void SetPriority(DWORD priority);
    void OpenDevice();
    void ReadSoftButtons();
    void DispatchSoftButton(DWORD state, DWORD button);
    void HandleDeviceResult(DWORD code);
    void CloseAll();
    BOOL IsDeviceOpen();
    LcdBitmap* ActiveLcdBitmap();

protected:
    CLCDManager* m_activeScreen;
    std::list<CLCDManager*> m_screens;
    LONG m_connection;
    LONG m_device;
    DWORD m_priority;
    BOOL m_screenLocked;
    DWORD m_lastButtons;
    LcdConnectContext m_connectContext;
    // TRUE while this output counts as a user of the client library.
    BOOL m_usesClient;
};
