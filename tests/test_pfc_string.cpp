// pfc strings: room policies, copying from the string's own buffer, buffers and size limits.
#include <gtest/gtest.h>

#include <new>

#include "pfc_string.h"

namespace {

TEST(pfc_string, empty_string_has_no_buffer_and_an_empty_text) {
    pfc::string8 text;
    EXPECT_EQ(text.allocated_size(), 0u);
    EXPECT_STREQ(text.text(), "");
    EXPECT_EQ(text.length(), 0u);
}

TEST(pfc_string, standard_room_grows_by_sixteen_and_shrinks_past_thirty_two) {
    pfc::string8 text;
    text.assign_text("0123456789");
    EXPECT_EQ(text.allocated_size(), 27u);
    text.assign_text("x");
    EXPECT_EQ(text.allocated_size(), 27u);
    EXPECT_STREQ(text.text(), "x");

    pfc::string8 wide;
    wide.open_buffer(39);
    EXPECT_EQ(wide.allocated_size(), 56u);
    wide.assign_text(std::string(23, 'a').c_str());  // needs 24: 56 is exactly 24 + 32, it stays
    EXPECT_EQ(wide.allocated_size(), 56u);
    wide.assign_text(std::string(22, 'a').c_str());  // needs 23: 56 is more than 23 + 32
    EXPECT_EQ(wide.allocated_size(), 23u);
}

TEST(pfc_string, forty_byte_buffer_assigned_one_byte_shrinks_to_two) {
    pfc::string8 forty;
    forty.assign_text(std::string(23, 'b').c_str());  // 24 + 16 = 40
    ASSERT_EQ(forty.allocated_size(), 40u);
    forty.assign_text("c");
    EXPECT_EQ(forty.allocated_size(), 2u);
    EXPECT_STREQ(forty.text(), "c");
}

TEST(pfc_string, growing_room_doubles_and_never_shrinks) {
    pfc::growing_string8 text;
    text.assign_text("abc");  // 4 bytes: 1, 2, 4
    EXPECT_EQ(text.allocated_size(), 4u);
    text.append_text("defgh");  // 9 bytes: 8, 16
    EXPECT_EQ(text.allocated_size(), 16u);
    text.assign_text("");
    EXPECT_EQ(text.allocated_size(), 16u);
    EXPECT_STREQ(text.text(), "");
}

TEST(pfc_string, maximum_bytes_and_zero_bytes_end_the_copy) {
    pfc::string8 text;
    text.assign_text("abcdef", 3);
    EXPECT_STREQ(text.text(), "abc");
    text.append_text("xy\0z", 4);
    EXPECT_STREQ(text.text(), "abcxy");
    EXPECT_EQ(text.length(), 5u);
}

TEST(pfc_string, assigning_its_own_tail_gives_the_tail) {
    pfc::string8 text("hello world");
    text.assign_text(text.text() + 6);
    EXPECT_STREQ(text.text(), "world");
}

TEST(pfc_string, appending_itself_doubles_the_text) {
    pfc::string8 text("abc");
    text.append_text(text.text());
    EXPECT_STREQ(text.text(), "abcabc");
}

TEST(pfc_string, self_assignment_keeps_the_text) {
    pfc::string8 text("same");
    pfc::string8& alias = text;
    text = alias;
    EXPECT_STREQ(text.text(), "same");
    text.assign_text(text.text(), 2);
    EXPECT_STREQ(text.text(), "sa");
}

TEST(pfc_string, cut_to_shortens_only) {
    pfc::string8 text("abcdef");
    text.cut_to(10);
    EXPECT_STREQ(text.text(), "abcdef");
    text.cut_to(2);
    EXPECT_STREQ(text.text(), "ab");
    EXPECT_EQ(text.length(), 2u);
}

TEST(pfc_string, open_buffer_zeroes_and_close_buffer_finds_the_end) {
    pfc::string8 text("previous text");
    char* buffer = text.open_buffer(8);
    for (size_t i = 0; i < text.allocated_size(); ++i) EXPECT_EQ(buffer[i], 0) << i;
    buffer[0] = 'o';
    buffer[1] = 'k';
    text.close_buffer();
    EXPECT_STREQ(text.text(), "ok");
    EXPECT_EQ(text.length(), 2u);
}

TEST(pfc_string, open_buffer_of_minus_one_overflows_and_leaves_the_string) {
    pfc::string8 text("kept");
    try {
        text.open_buffer(pfc::infinite_size);
        FAIL() << "no exception";
    } catch (const pfc::exception_overflow& error) {
        EXPECT_STREQ(error.what(), "Overflow");
    }
    EXPECT_STREQ(text.text(), "kept");
    EXPECT_EQ(text.allocated_size(), 21u);
}

TEST(pfc_string, sizes_beyond_32_bits_are_allocation_failures) {
    pfc::string8 text("kept");
    EXPECT_THROW(text.open_buffer(0xFFFFFFF0u), std::bad_alloc);  // 0xFFFFFFF1 + 16 overflows
    EXPECT_STREQ(text.text(), "kept");
    pfc::growing_string8 growing;
    EXPECT_THROW(growing.open_buffer(0x80000000u), std::bad_alloc);  // doubling passes 2^32
    EXPECT_EQ(growing.allocated_size(), 0u);
}

TEST(pfc_string, copies_are_independent) {
    pfc::string8 a("one");
    pfc::string8 b(a);
    b.append_text("+");
    EXPECT_STREQ(a.text(), "one");
    EXPECT_STREQ(b.text(), "one+");
}

}  // namespace
