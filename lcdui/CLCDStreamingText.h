// One line of text in a box: still when it fits, otherwise an endless marquee of pieces (text,
// separator, text, separator) that moves left after a start pause. The pieces are owned here.
#pragma once

#include "CLCDCollection.h"
#include "CLCDText.h"

class CLCDStreamingText : public CLCDCollection {
public:
    CLCDStreamingText();
    ~CLCDStreamingText() override;

    HRESULT Prepare() override;
    void SetOrigin(POINT origin) override;
    void SetOrigin(int x, int y) override;
    void SetVisible(BOOL visible) override;
    void Restart() override;
    void Paint(CLCDGfx& gfx) override;
    void Tick(DWORD now) override;

    void SetText(const WCHAR* text);
    void SetSeparator(const WCHAR* separator);
    void SetFont(const LOGFONTW* logfont);
    void SetFaceName(const WCHAR* name);
    void SetPointSize(int points);
    void SetWeight(int weight);
    HFONT GetFont();
    void SetFitAlign(UINT align);
    void SetStartPause(DWORD milliseconds);
    void SetScrollRate(DWORD pixelsPerSecond);
    void SetMinStep(DWORD pixels);
    int AppendPiece(const WCHAR* text);
    void RemovePiece(int index);
    void ClearPieces();

protected:
    BOOL BuildPieces(CLCDGfx& gfx);
    void LayOutPieces();
    void ShiftPieces(int dx);

    DWORD m_elapsed;
    DWORD m_startPause;
    DWORD m_scrollRate;
    DWORD m_minStep;
    DWORD m_lastTick;
    int m_state;
    BOOL m_rebuild;
    CLCDText* m_leadPiece;
    WCHAR m_text[CLCDText::TEXT_CAPACITY];
    WCHAR m_separator[CLCDText::TEXT_CAPACITY];
    HFONT m_font;
    UINT m_fitAlign;
    float m_carry;

private:
    void ReplaceFont(const LOGFONTW& logfont);
    CLCDText* Piece(CLCDBase* child) { return static_cast<CLCDText*>(child); }
};
