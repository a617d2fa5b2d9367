#include "CLCDText.h"

#include "font_description.h"
#include "wide_text.h"

CLCDText::CLCDText()
    : m_text{},
      m_font(nullptr),
      m_textColor(0xFFFFFF),
      m_length(0),
      m_format(DT_NOPREFIX),
      m_measure(TRUE),
      m_drawParams{sizeof(DRAWTEXTPARAMS), 0, 0, 0, 0},
      m_alignment(0),
      m_wrappedExtent{0, 0},
      m_textExtent{0, 0},
      m_fallbackFont(nullptr),
      m_useFallback(FALSE) {}

CLCDText::~CLCDText() {
    if (m_font) DeleteObject(m_font);
    if (m_fallbackFont) DeleteObject(m_fallbackFont);
}

HRESULT CLCDText::Prepare() {
    // Prepared again, the object gives back the font it made before (a stock font survives this).
    if (m_font) DeleteObject(m_font);
    m_font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (m_font) SetPointSize(font_description::DEFAULT_POINT_SIZE);
    return m_font ? S_OK : E_OUTOFMEMORY;
}

void CLCDText::SetFont(const LOGFONTW* logfont) {
    if (m_font) DeleteObject(m_font);
    m_font = CreateFontIndirectW(logfont);
    if (m_fallbackFont) DeleteObject(m_fallbackFont);
    m_fallbackFont = nullptr;
    m_useFallback = FALSE;
    m_measure = TRUE;
}

void CLCDText::SetFaceName(const WCHAR* name) {
    if (!name) return;
    LOGFONTW logfont = font_description::with_face_name(m_font, name);
    SetFont(&logfont);
}

void CLCDText::SetPointSize(int points) {
    LOGFONTW logfont = font_description::with_point_size(m_font, points);
    SetFont(&logfont);
}

void CLCDText::SetWeight(int weight) {
    LOGFONTW logfont = font_description::with_weight(m_font, weight);
    SetFont(&logfont);
}

HFONT CLCDText::GetFont() { return m_font; }

// A text longer than the buffer is compared as it would be stored, so setting it again is no
// change either.
void CLCDText::SetText(const WCHAR* text) {
    if (!text || wide_text::equal_truncated(m_text, TEXT_CAPACITY, text)) return;
    m_length = static_cast<int>(wide_text::copy_truncated(m_text, TEXT_CAPACITY, text));
    m_drawParams.iLeftMargin = 0;
    m_drawParams.iRightMargin = 0;
    m_measure = TRUE;
}

const WCHAR* CLCDText::GetText() { return m_text; }

void CLCDText::SetWrapping(BOOL wrapping) {
    if (wrapping)
        m_format |= DT_WORDBREAK;
    else
        m_format &= ~static_cast<UINT>(DT_WORDBREAK);
    m_measure = TRUE;
}

SIZE& CLCDText::GetWrappedExtent() { return m_wrappedExtent; }

SIZE& CLCDText::GetTextExtent() { return m_textExtent; }

void CLCDText::SetMarginLeft(int margin) { m_drawParams.iLeftMargin = margin; }

int CLCDText::GetMarginLeft() { return m_drawParams.iLeftMargin; }

void CLCDText::SetMarginRight(int margin) { m_drawParams.iRightMargin = margin; }

int CLCDText::GetMarginRight() { return m_drawParams.iRightMargin; }

void CLCDText::SetTextAlign(UINT flags) {
    m_format = (m_format & ~m_alignment) | flags;
    m_alignment = flags;
}

// Control characters are left out: line breaks are DrawTextExW's, never drawn from a face.
BOOL CLCDText::FontLacksCharacters(HDC dc) {
    WORD indices[TEXT_CAPACITY];
    if (GetGlyphIndicesW(dc, m_text, m_length, indices, GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR) return FALSE;
    for (int i = 0; i < m_length; ++i)
        if (indices[i] == 0xFFFF && m_text[i] >= 0x20) return TRUE;
    return FALSE;
}

void CLCDText::SelectFontForText(HDC dc) {
    m_useFallback = FontLacksCharacters(dc);
    if (!m_useFallback) return;
    if (!m_fallbackFont) {
        LOGFONTW logfont = font_description::with_face_name(m_font, font_description::FALLBACK_FACE);
        m_fallbackFont = CreateFontIndirectW(&logfont);
    }
    SelectObject(dc, m_fallbackFont);
}

void CLCDText::Measure(HDC dc) {
    SelectFontForText(dc);
    RECT wrapped{0, 0, GetWidth(), GetHeight()};
    DrawTextExW(dc, m_text, m_length, &wrapped, m_format | DT_WORDBREAK | DT_CALCRECT, &m_drawParams);
    m_wrappedExtent = {wrapped.right, wrapped.bottom};
    RECT single{0, 0, GetWidth(), GetHeight()};
    DrawTextExW(dc, m_text, m_length, &single, m_format | DT_CALCRECT, &m_drawParams);
    m_textExtent = {single.right, single.bottom};
    m_measure = FALSE;
}

void CLCDText::Paint(CLCDGfx& gfx) {
    HDC dc = gfx.DeviceContext();
    if (GetBackMode() == OPAQUE) {
        HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        RECT box{0, 0, m_size.cx, m_size.cy};
        FillRect(dc, &box, black);
        RECT content{0, 0, m_contentSize.cx, m_contentSize.cy};
        FillRect(dc, &content, black);
    }
    if (m_length == 0) return;
    int savedMapMode = SetMapMode(dc, MM_TEXT);
    int savedBackMode = SetBkMode(dc, GetBackMode());
    // A measuring paint asks the text's own font about the text; the other paints draw with the
    // font chosen then.
    HGDIOBJ savedFont = SelectObject(dc, m_measure ? m_font : DrawingFont());
    COLORREF savedColor = SetTextColor(dc, m_textColor);
    if (m_measure) Measure(dc);
    if (IsVisible()) DrawTextBody(gfx);
    SetMapMode(dc, savedMapMode);
    SetTextColor(dc, savedColor);
    SetBkMode(dc, savedBackMode);
    SelectObject(dc, savedFont);
}

void CLCDText::DrawTextBody(CLCDGfx& gfx) {
    HDC dc = gfx.DeviceContext();
    SIZE& content = GetContentSize();
    RECT rect{0, 0, content.cx, content.cy};
    DrawTextExW(dc, m_text, m_length, &rect, m_format, &m_drawParams);
    if (m_invert) InvertRect(dc, &rect);
}
