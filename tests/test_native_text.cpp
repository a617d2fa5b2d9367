// The native text engine's own duties: characters the face lacks come from fallback faces, so
// titles in Greek, Cyrillic or Japanese come out as text and not as rows of identical boxes.
// (Wine's prefix has no fallback for them, so this runs natively only.)
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <set>
#include <string>

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

std::string picture_of(const WCHAR* text) {
    open_surface surface;
    CLCDText object;
    object.Prepare();
    object.SetSize(20, 13);
    object.SetText(text);
    object.Paint(surface.gfx());
    std::string joined;
    for (const std::string& line : frame_rows(surface.finish(), 0, 0, 20, 13)) joined += line;
    return joined;
}

TEST(NativeText, LettersMissingFromTheFaceComeFromFallbackFaces) {
    const WCHAR* letters[] = {WSTR("Ω"),  WSTR("μ"),  WSTR("λ"),  WSTR("日"),
                              WSTR("本"), WSTR("語"), WSTR("の"), WSTR("Ж")};
    std::set<std::string> pictures;
    for (const WCHAR* letter : letters) {
        std::string picture = picture_of(letter);
        EXPECT_NE(picture.find('#'), std::string::npos);
        pictures.insert(picture);
    }
    EXPECT_EQ(pictures.size(), std::size(letters)) << "two letters share one picture: a missing-glyph box";
}

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
