#include "CLCDStreamingText.h"

#include <cmath>

#include "font_description.h"
#include "travel.h"
#include "wide_text.h"

namespace {
constexpr DWORD DEFAULT_START_PAUSE = 2000;
constexpr DWORD DEFAULT_SCROLL_RATE = 7;
constexpr DWORD DEFAULT_MIN_STEP = 7;
constexpr int STATE_START_PAUSE = 0;
constexpr int STATE_SCROLLING = 1;
}  // namespace

CLCDStreamingText::CLCDStreamingText()
    : m_elapsed(0),
      m_startPause(DEFAULT_START_PAUSE),
      m_scrollRate(DEFAULT_SCROLL_RATE),
      m_minStep(DEFAULT_MIN_STEP),
      m_lastTick(0),
      m_state(STATE_START_PAUSE),
      m_rebuild(FALSE),
      m_leadPiece(nullptr),
      m_text{},
      m_separator{' ', ' ', ' ', 0},
      m_font(nullptr),
      m_fitAlign(DT_LEFT),
      m_carry(0.0f) {}

CLCDStreamingText::~CLCDStreamingText() {
    ClearPieces();
    if (m_font) DeleteObject(m_font);
}

HRESULT CLCDStreamingText::Prepare() {
    m_state = STATE_START_PAUSE;
    m_startPause = DEFAULT_START_PAUSE;
    m_scrollRate = DEFAULT_SCROLL_RATE;
    m_minStep = DEFAULT_MIN_STEP;
    m_elapsed = 0;
    m_lastTick = GetTickCount();
    m_rebuild = FALSE;
    m_leadPiece = nullptr;
    m_carry = 0.0f;
    // Prepared again, the object gives back the font it made before (a stock font survives this).
    if (m_font) DeleteObject(m_font);
    m_font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (m_font) SetPointSize(font_description::DEFAULT_POINT_SIZE);
    return S_OK;
}

void CLCDStreamingText::SetOrigin(int x, int y) {
    CLCDBase::SetOrigin(x, y);
    POINT origin{x, y};
    SetOrigin(origin);
}

// Moving a marquee that has pieces moves the first one at once and rebuilds the pieces at the new
// origin whenever it changed, so that no piece is left behind at the old place.
void CLCDStreamingText::SetOrigin(POINT origin) {
    CLCDBase::SetOrigin(origin.x, origin.y);
    if (m_children.empty()) return;
    CLCDBase* first = m_children.front();
    POINT previous = first->GetOrigin();
    first->SetOrigin(origin);
    if (previous.x != origin.x || previous.y != origin.y) Restart();
}

void CLCDStreamingText::SetVisible(BOOL visible) { CLCDCollection::SetVisible(visible); }

void CLCDStreamingText::Restart() {
    m_state = STATE_START_PAUSE;
    m_elapsed = 0;
    m_lastTick = GetTickCount();
    m_leadPiece = nullptr;
    m_carry = 0.0f;
    m_rebuild = TRUE;
    ClearPieces();
    AppendPiece(m_text);
}

void CLCDStreamingText::Tick(DWORD now) { m_elapsed = now - m_lastTick; }

void CLCDStreamingText::Paint(CLCDGfx& gfx) {
    if (m_rebuild) {
        BuildPieces(gfx);
        m_rebuild = FALSE;
        return;
    }
    if (m_state == STATE_START_PAUSE && m_elapsed > m_startPause) {
        m_state = STATE_SCROLLING;
        m_elapsed = 0;
        m_lastTick = GetTickCount();
    }
    if (m_state == STATE_SCROLLING) {
        float travelled = PixelsTravelled(m_scrollRate, m_elapsed);
        m_lastTick = GetTickCount();
        if (m_children.size() > 1) {
            float total = travelled + m_carry;
            bool moves = total >= static_cast<float>(m_minStep);
            m_carry = moves ? total - std::trunc(total) : total;
            if (moves) ShiftPieces(-static_cast<int>(std::trunc(total)));
        }
    }
    PaintChildren(gfx);
}

void CLCDStreamingText::SetText(const WCHAR* text) {
    if (!text || wide_text::equal_truncated(m_text, CLCDText::TEXT_CAPACITY, text)) return;
    wide_text::copy_truncated(m_text, CLCDText::TEXT_CAPACITY, text);
    m_rebuild = TRUE;
    Restart();
}

void CLCDStreamingText::SetSeparator(const WCHAR* separator) {
    if (!separator || wide_text::equal_truncated(m_separator, CLCDText::TEXT_CAPACITY, separator)) return;
    wide_text::copy_truncated(m_separator, CLCDText::TEXT_CAPACITY, separator);
    m_rebuild = TRUE;
}

void CLCDStreamingText::SetFont(const LOGFONTW* logfont) {
    if (m_font) DeleteObject(m_font);
    m_font = CreateFontIndirectW(logfont);
    m_rebuild = TRUE;
}

void CLCDStreamingText::ReplaceFont(const LOGFONTW& logfont) {
    if (m_font) DeleteObject(m_font);
    m_font = CreateFontIndirectW(&logfont);
    m_rebuild = TRUE;
}

void CLCDStreamingText::SetFaceName(const WCHAR* name) {
    if (name) ReplaceFont(font_description::with_face_name(m_font, name));
}

void CLCDStreamingText::SetPointSize(int points) { ReplaceFont(font_description::with_point_size(m_font, points)); }

void CLCDStreamingText::SetWeight(int weight) { ReplaceFont(font_description::with_weight(m_font, weight)); }

HFONT CLCDStreamingText::GetFont() { return m_font; }

void CLCDStreamingText::SetFitAlign(UINT align) { m_fitAlign = align; }

void CLCDStreamingText::SetStartPause(DWORD milliseconds) { m_startPause = milliseconds; }

void CLCDStreamingText::SetScrollRate(DWORD pixelsPerSecond) { m_scrollRate = pixelsPerSecond; }

void CLCDStreamingText::SetMinStep(DWORD pixels) { m_minStep = pixels; }

int CLCDStreamingText::AppendPiece(const WCHAR* text) {
    auto* piece = new CLCDText();
    piece->Prepare();
    piece->SetText(text);
    piece->SetOrigin(GetOrigin());
    piece->SetContentOffset(GetContentOffset());
    piece->SetSize(GetWidth(), GetHeight());
    piece->SetBackMode(OPAQUE);
    LOGFONTW logfont = font_description::of(m_font);
    piece->SetFont(&logfont);
    m_rebuild = TRUE;
    m_children.push_back(piece);
    if (!m_leadPiece) m_leadPiece = piece;
    return static_cast<int>(m_children.size()) - 1;
}

// The lead piece is always a piece of the list (the front one, or none in an empty list): removing
// it makes the new front piece the lead, and clearing the list leaves no lead.
void CLCDStreamingText::RemovePiece(int index) {
    int position = 0;
    for (auto it = m_children.begin(); it != m_children.end(); ++it, ++position) {
        if (position != index) continue;
        CLCDBase* piece = *it;
        m_children.erase(it);
        if (piece == m_leadPiece) m_leadPiece = m_children.empty() ? nullptr : Piece(m_children.front());
        delete piece;
        return;
    }
}

void CLCDStreamingText::ClearPieces() {
    for (CLCDBase* piece : m_children) delete piece;
    m_children.clear();
    m_leadPiece = nullptr;
}

BOOL CLCDStreamingText::BuildPieces(CLCDGfx& gfx) {
    if (m_children.empty()) return FALSE;
    CLCDText* first = Piece(m_children.front());
    LOGFONTW logfont = font_description::of(m_font);
    first->SetFont(&logfont);
    PaintChildren(gfx);
    if (first->GetTextExtent().cx > GetWidth()) {
        first->SetTextAlign(DT_LEFT);
        AppendPiece(m_separator);
        AppendPiece(m_text);
        AppendPiece(m_separator);
    } else {
        first->SetTextAlign(m_fitAlign);
    }
    PaintChildren(gfx);
    LayOutPieces();
    // The measuring paint drew every piece over the whole box, the last one (a separator) on top;
    // the marquee's pieces are drawn once more where they now stand, so the build frame shows the
    // line and not an empty box.
    if (m_children.size() > 1) PaintChildren(gfx);
    return TRUE;
}

void CLCDStreamingText::LayOutPieces() {
    if (m_children.size() <= 1) return;
    int x = 0;
    for (CLCDBase* child : m_children) {
        CLCDText* piece = Piece(child);
        SIZE& extent = piece->GetTextExtent();
        piece->SetContentSize(extent.cx, extent.cy);
        POINT& offset = piece->GetContentOffset();
        if (x == 0) x = offset.x;
        piece->SetContentOffset(x, offset.y);
        x += extent.cx;
    }
}

// Moves every piece; when the lead piece has left the box on the left it moves, without any
// allocation, from the front of the list to its end, and the pieces are laid out again.
void CLCDStreamingText::ShiftPieces(int dx) {
    for (CLCDBase* piece : m_children) {
        POINT& offset = piece->GetContentOffset();
        piece->SetContentOffset(offset.x + dx, offset.y);
    }
    if (!m_leadPiece || std::abs(m_leadPiece->GetContentOffset().x) < m_leadPiece->GetTextExtent().cx) return;
    m_children.splice(m_children.end(), m_children, m_children.begin());
    LayOutPieces();
    m_leadPiece = Piece(m_children.front());
}
