// A position within an integer range, shown as a white outline with a small travelling cursor
// block or with a solid fill from the left edge.
#pragma once

#include "CLCDBase.h"

struct ProgressRange {
    int nLow;
    int nHigh;
};

class CLCDProgressBar : public CLCDBase {
public:
    CLCDProgressBar();
    ~CLCDProgressBar() override;

    HRESULT Prepare() override;
    void Restart() override;
    void Paint(CLCDGfx& gfx) override;

    virtual void SetRange(ProgressRange& range);
    virtual void SetRange(int low, int high);
    virtual ProgressRange& GetRange();
    virtual float SetPosition(float position);
    virtual float GetPosition();
    virtual void SetBarStyle(int style);

    float MapValue(float srcLow, float srcHigh, float dstLow, float dstHigh, float value);
    int MapValueInt(int srcLow, int srcHigh, int dstLow, int dstHigh, int value);

private:
    ProgressRange m_range;
    float m_position;
    int m_style;
    HBRUSH m_brush;
    int m_cursorWidth;
};

constexpr int PROGRESS_STYLE_FILLED = 0;
constexpr int PROGRESS_STYLE_CURSOR = 1;
