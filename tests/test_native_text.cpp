// The native text engine's own duties: a steady paint allocates nothing, and a surrogate pair is
// one character.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "CLCDText.h"
#include "support/frame_rows.h"

using keylume_test::frame_rows;
using keylume_test::open_surface;

// Every allocation of the process, the platform library's included, is counted here. The address
// sanitizer brings its own allocator, which a replaced operator new would mix with, so its builds
// do not count.
namespace {
size_t allocations = 0;
}

#ifndef __SANITIZE_ADDRESS__
// GCC cannot see that the replaced operator new below takes its memory from malloc.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
    ++allocations;
    if (void* memory = std::malloc(size ? size : 1)) return memory;
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
#endif

namespace {

TEST(NativeText, SteadyStatePaintAllocatesNothing) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "allocations are not counted under the address sanitizer";
#endif
    open_surface surface;
    CLCDText text;
    text.Prepare();
    text.SetSize(160, 13);
    text.SetWrapping(TRUE);
    text.SetText(WSTR("Björk · Жизнь · 日本語 — a full line of track text"));
    text.Paint(surface.gfx());  // measures and fills the glyph cache
    size_t before = allocations;
    for (int frame = 0; frame < 10; ++frame) text.Paint(surface.gfx());
    EXPECT_EQ(allocations, before);
}

TEST(NativeText, SurrogatePairIsOneCharacter) {
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SIZE pair{}, single{};
    GetTextExtentPoint32W(dc, WSTR("\U0001D11E"), 2, &pair);
    GetTextExtentPoint32W(dc, WSTR("\U0001D11E\U0001D11E"), 4, &single);
    EXPECT_GT(pair.cx, 0);
    EXPECT_EQ(single.cx, 2 * pair.cx);
    DeleteDC(dc);
}

}  // namespace
