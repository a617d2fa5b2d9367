#include "CLCDOutput.h"

#include <cstring>

namespace {

// Outputs that use the client library; it runs while this is above 0.
LONG volatile g_clientUsers = 0;

const WCHAR DEFAULT_APPLICATION_NAME[] = WSTR("My App");

}  // namespace

CLCDOutput::CLCDOutput()
    : m_activeScreen(nullptr),
      m_connection(LCD_NO_HANDLE),
      m_device(LCD_NO_HANDLE),
      m_priority(PriorityNormal),
      m_screenLocked(FALSE),
      m_lastButtons(0),
      m_connectContext{},
      m_usesClient(FALSE) {}

CLCDOutput::~CLCDOutput() = default;

HRESULT CLCDOutput::Prepare() { return PrepareConnection(nullptr, 0); }

void CLCDOutput::Release() {
    CloseAll();
    if (!m_usesClient) return;
    m_usesClient = FALSE;
    if (InterlockedDecrement(&g_clientUsers) == 0) lcdclient_deinit();
}

// Only prepares; the first Advance connects.
HRESULT CLCDOutput::PrepareConnection(LcdConnectContext* context, DWORD) {
    CLCDManager::Prepare();
    for (CLCDManager* screen : m_screens) screen->Prepare();
    // The context is set even when the library does not start: when only the server's own start
    // failed, the library stays started and later connection attempts use it.
    m_connectContext = LcdConnectContext{};
    m_connectContext.applicationName = DEFAULT_APPLICATION_NAME;
    m_connectContext.connection = LCD_NO_HANDLE;
    if (context != nullptr) std::memcpy(&m_connectContext, context, sizeof m_connectContext);
    // One user reference per output, however often it is prepared.
    if (m_usesClient) return S_OK;
    m_usesClient = TRUE;
    if (InterlockedIncrement(&g_clientUsers) == 1 && lcdclient_init() != ERROR_SUCCESS) {
        // A library that stayed started keeps this output as its user, so that its Release stops
        // the library and unloads the module.
        if (!lcdclient_started()) {
            m_usesClient = FALSE;
            InterlockedDecrement(&g_clientUsers);
        }
        return E_FAIL;
    }
    return S_OK;
}

void CLCDOutput::AddScreen(CLCDManager* screen) { m_screens.push_back(screen); }

void CLCDOutput::ShowScreen(CLCDManager* screen) {
    if (!m_screenLocked) m_activeScreen = screen;
}

void CLCDOutput::LockScreen(CLCDManager* screen) {
    if (m_screenLocked) return;
    m_activeScreen = screen;
    m_screenLocked = TRUE;
}

void CLCDOutput::UnlockScreen() {
    m_screenLocked = FALSE;
    m_activeScreen = nullptr;
}

void CLCDOutput::SetPriority(DWORD priority) { m_priority = priority; }

void CLCDOutput::Advance(DWORD now) {
    if (m_activeScreen != nullptr) m_activeScreen->Advance(now);
    if (m_activeScreen != nullptr && m_activeScreen->IsExpired()) {
        m_activeScreen = nullptr;
        OnScreenExpired(nullptr);
        for (CLCDManager* screen : m_screens) {
            if (!screen->IsExpired()) {
                ShowScreen(screen);
                break;
            }
        }
    }
    if (!IsDeviceOpen()) OpenDevice();
}

void CLCDOutput::OpenDevice() {
    if (m_connection == LCD_NO_HANDLE) {
        if (lcdclient_connect(&m_connectContext) != ERROR_SUCCESS) return;
        m_connection = m_connectContext.connection;
        m_device = LCD_NO_HANDLE;
    }
    if (m_device != LCD_NO_HANDLE) {
        lcdclient_close(m_device);
        m_device = LCD_NO_HANDLE;
    }
    LcdDeviceDescription description{};
    DWORD code = lcdclient_enumerate(m_connection, 0, &description);
    if (code != ERROR_SUCCESS) {
        if (code != ERROR_NO_MORE_ITEMS) CloseAll();
        return;
    }
    LcdOpenContext open{};
    open.connection = m_connection;
    open.deviceIndex = 0;
    if (lcdclient_open(&open) != ERROR_SUCCESS) return;
    m_device = open.device;
    m_lastButtons = 0;
}

HRESULT CLCDOutput::RenderScreen() {
    DWORD priority = PriorityNone;
    if (m_activeScreen != nullptr) {
        m_activeScreen->RenderScreen();
        priority = m_priority;
    }
    LcdBitmap* bitmap = ActiveLcdBitmap();
    if (bitmap != nullptr && IsDeviceOpen()) {
        HandleDeviceResult(lcdclient_update_bitmap(m_device, bitmap, priority));
        ReadSoftButtons();
    }
    return S_OK;
}

void CLCDOutput::ReadSoftButtons() {
    if (!IsDeviceOpen()) return;
    DWORD state = 0;
    DWORD code = lcdclient_read_soft_buttons(m_device, &state);
    if (code != ERROR_SUCCESS) HandleDeviceResult(code);
    if (state == m_lastButtons) return;
    for (DWORD button : {SoftButton1, SoftButton2, SoftButton3, SoftButton4}) DispatchSoftButton(state, button);
    m_lastButtons = state;
}

void CLCDOutput::DispatchSoftButton(DWORD state, DWORD button) {
    BOOL was = (m_lastButtons & button) != 0;
    BOOL is = (state & button) != 0;
    if (was && !is) OnSoftButtonUp(button);
    if (!was && is) OnSoftButtonDown(button);
}

void CLCDOutput::OnSoftButtonDown(DWORD button) {
    if (m_activeScreen != nullptr) m_activeScreen->OnSoftButtonDown(button);
}

void CLCDOutput::OnSoftButtonUp(DWORD button) {
    if (m_activeScreen != nullptr) m_activeScreen->OnSoftButtonUp(button);
}

// 1167: the keyboard went away, the connection stays; anything else: start from scratch.
void CLCDOutput::HandleDeviceResult(DWORD code) {
    if (code == ERROR_SUCCESS) return;
    CloseDevice(m_device);
    if (code != ERROR_DEVICE_NOT_CONNECTED) Disconnect(m_connection);
}

void CLCDOutput::OnScreenExpired(CLCDManager*) { UnlockScreen(); }

void CLCDOutput::CloseDevice(LONG) {
    if (m_device == LCD_NO_HANDLE) return;
    lcdclient_close(m_device);
    m_device = LCD_NO_HANDLE;
}

void CLCDOutput::Disconnect(LONG) {
    if (m_connection == LCD_NO_HANDLE) return;
    lcdclient_disconnect(m_connection);
    m_connection = LCD_NO_HANDLE;
}

void CLCDOutput::CloseAll() {
    CloseDevice(m_device);
    Disconnect(m_connection);
}

BOOL CLCDOutput::IsDeviceOpen() { return m_device != LCD_NO_HANDLE; }

LcdBitmap* CLCDOutput::ActiveLcdBitmap() {
    return m_activeScreen != nullptr ? m_activeScreen->BuildLcdBitmap() : BuildLcdBitmap();
}
