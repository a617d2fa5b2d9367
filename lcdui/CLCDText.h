// A drawable that draws a UTF-16 string of at most 255 characters inside its box with a font of
// its own, white on the surface, and publishes the measured extents the moving texts rely on.
// A text holding characters its font lacks is drawn and measured with the fallback face, "Tahoma",
// at the font's height and weight: Windows' raster "Small Fonts" has only the characters of code
// page 1252, while Tahoma covers Greek, Cyrillic, Hebrew, Arabic and Thai, and Windows links it
// to its Chinese, Japanese and Korean faces.
#pragma once

#include "CLCDBase.h"

class CLCDText : public CLCDBase {
public:
    static constexpr int TEXT_CAPACITY = 256;  // units, terminator included

    CLCDText();
    ~CLCDText() override;

    HRESULT Prepare() override;
    void Paint(CLCDGfx& gfx) override;

    virtual void SetFont(const LOGFONTW* logfont);
    virtual void SetFaceName(const WCHAR* name);
    virtual void SetPointSize(int points);
    virtual void SetWeight(int weight);
    virtual HFONT GetFont();
    virtual void SetText(const WCHAR* text);
    virtual const WCHAR* GetText();
    virtual void SetWrapping(BOOL wrapping);
    virtual SIZE& GetWrappedExtent();
    virtual SIZE& GetTextExtent();
    virtual void SetMarginLeft(int margin);
    virtual int GetMarginLeft();
    virtual void SetMarginRight(int margin);
    virtual int GetMarginRight();
    virtual void SetTextAlign(UINT flags);

protected:
    void DrawTextBody(CLCDGfx& gfx);

    WCHAR m_text[TEXT_CAPACITY];
    HFONT m_font;
    COLORREF m_textColor;
    int m_length;
    UINT m_format;
    BOOL m_measure;
    DRAWTEXTPARAMS m_drawParams;
    UINT m_alignment;
    SIZE m_wrappedExtent;
    SIZE m_textExtent;

private:
    void Measure(HDC dc);
    // Asks the selected font, once per change of text or font, whether it has every character of
    // the text, and selects the fallback font when it does not.
    void SelectFontForText(HDC dc);
    BOOL FontLacksCharacters(HDC dc);
    HFONT DrawingFont() { return m_useFallback ? m_fallbackFont : m_font; }

    HFONT m_fallbackFont;  // owned; made when a text first needs it, deleted with the font
    BOOL m_useFallback;
};
