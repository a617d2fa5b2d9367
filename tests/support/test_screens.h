// Screens for tests of the screen manager and the device output: a screen that shows a mark at
// a chosen column (so a frame tells which screen produced it) and records its button events.
#pragma once

#include <string>
#include <vector>

#include "CLCDManager.h"

namespace keylume_test {

// A drawable that fills its box and remembers the time stamps it was given.
class lit_box : public CLCDBase {
public:
    void Paint(CLCDGfx& gfx) override;
    void Tick(DWORD now) override { ticks.push_back(now); }
    std::vector<DWORD> ticks;
};

class marked_screen : public CLCDManager {
public:
    // The mark: a 2 × 2 lit box at (column, 0).
    explicit marked_screen(int column);
    HRESULT Prepare() override;
    void OnSoftButtonDown(DWORD button) override { events.push_back("down " + std::to_string(button)); }
    void OnSoftButtonUp(DWORD button) override { events.push_back("up " + std::to_string(button)); }
    DWORD elapsed() const { return m_elapsed; }

    lit_box mark;
    std::vector<std::string> events;

private:
    int m_column;
};

}  // namespace keylume_test
