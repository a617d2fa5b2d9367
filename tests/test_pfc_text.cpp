// UTF-8 decoding and conversion, number text, GUID text and the exception family.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "call_path.h"
#include "guid_text.h"
#include "number_text.h"
#include "pfc_exceptions.h"
#include "utf8.h"

namespace {

std::vector<unsigned> units_of(const char* utf8, size_t max = pfc::infinite_size) {
    pfc::wide_string wide = pfc::wide_from_utf8(utf8, max);
    std::vector<unsigned> units(wide.get(), wide.get() + wide.length());
    EXPECT_EQ(wide.get()[wide.length()], 0);
    return units;
}

TEST(utf8_decoder, ascii_zero_and_nothing) {
    uint32_t cp = 99;
    EXPECT_EQ(pfc::utf8_decode_char("A", cp), 1u);
    EXPECT_EQ(cp, 0x41u);
    EXPECT_EQ(pfc::utf8_decode_char("", cp), 0u);
    EXPECT_EQ(cp, 0u);
    EXPECT_EQ(pfc::utf8_decode_char("A", cp, 0), 0u);
    EXPECT_EQ(cp, 0u);
}

TEST(utf8_decoder, valid_sequences) {
    uint32_t cp;
    EXPECT_EQ(pfc::utf8_decode_char("\xC3\xA9", cp), 2u);
    EXPECT_EQ(cp, 0xE9u);
    EXPECT_EQ(pfc::utf8_decode_char("\xE2\x82\xAC", cp), 3u);
    EXPECT_EQ(cp, 0x20ACu);
    EXPECT_EQ(pfc::utf8_decode_char("\xF0\x9F\x98\x80", cp), 4u);
    EXPECT_EQ(cp, 0x1F600u);
    EXPECT_EQ(pfc::utf8_decode_char("\xF8\x88\x80\x80\x80", cp), 5u);
    EXPECT_EQ(cp, 0x200000u);
    EXPECT_EQ(pfc::utf8_decode_char("\xFC\x84\x80\x80\x80\x80", cp), 6u);
    EXPECT_EQ(cp, 0x4000000u);
}

TEST(utf8_decoder, invalid_sequences) {
    uint32_t cp;
    EXPECT_EQ(pfc::utf8_decode_char("\xC0\x80", cp), 0u);  // overlong zero
    EXPECT_EQ(cp, 0u);
    EXPECT_EQ(pfc::utf8_decode_char("\xC1\xBF", cp), 0u);
    EXPECT_EQ(pfc::utf8_decode_char("\x80", cp), 0u);  // continuation byte first
    EXPECT_EQ(pfc::utf8_decode_char("\xFE", cp), 0u);
    EXPECT_EQ(pfc::utf8_decode_char("\xFF", cp), 0u);
    EXPECT_EQ(pfc::utf8_decode_char("\xE2\x82", cp), 0u);         // ends at the terminator
    EXPECT_EQ(pfc::utf8_decode_char("\xE2\x82\xAC", cp, 2), 0u);  // longer than the bytes available
    EXPECT_EQ(pfc::utf8_decode_char("\xE2\x41\xAC", cp), 0u);     // second byte not 10xxxxxx
    EXPECT_EQ(pfc::utf8_decode_char("\xE0\x80\x80", cp), 0u);     // overlong three-byte zero
    EXPECT_EQ(pfc::utf8_decode_char("\xF0\x80\x80\x80", cp), 0u);
}

TEST(wide_from_utf8, converts_the_examples) {
    EXPECT_EQ(units_of("\xE2\x82\xAC"), (std::vector<unsigned>{0x20AC}));
    EXPECT_EQ(units_of("\xF0\x9F\x98\x80"), (std::vector<unsigned>{0xD83D, 0xDE00}));
    EXPECT_EQ(units_of("\xF4\x80\x80\x80"), (std::vector<unsigned>{'?'}));
    EXPECT_EQ(units_of("ab\xFF"
                       "cd"),
              (std::vector<unsigned>{'a', 'b'}));
    EXPECT_EQ(units_of("\xC0\x80"), (std::vector<unsigned>{}));
    EXPECT_EQ(units_of("\xED\xA0\x80"), (std::vector<unsigned>{0xD800}));              // a surrogate stays as it is
    EXPECT_EQ(units_of("\xF3\xBF\xBF\xBF"), (std::vector<unsigned>{0xDBBF, 0xDFFF}));  // U+FFFFF
}

TEST(wide_from_utf8, stops_at_the_limit_and_at_zero) {
    EXPECT_EQ(units_of("abc", 2), (std::vector<unsigned>{'a', 'b'}));
    EXPECT_EQ(units_of("a\xE2\x82\xAC", 3), (std::vector<unsigned>{'a'}));
    const char with_zero[] = {'x', 0, 'y'};
    EXPECT_EQ(units_of(with_zero, 3), (std::vector<unsigned>{'x'}));
    EXPECT_EQ(units_of(""), (std::vector<unsigned>{}));
}

std::string float_text(size_t capacity, double value, unsigned decimals, bool force_sign = false) {
    char buffer[80];
    std::fill(std::begin(buffer), std::end(buffer), '#');
    pfc::float_to_text(buffer, capacity, value, decimals, force_sign);
    return buffer;
}

TEST(float_to_text, capacity_limits_the_text) {
    EXPECT_EQ(float_text(5, 29.6, 0), "30");
    EXPECT_EQ(float_text(5, 1234567, 0), "1234");
    EXPECT_EQ(float_text(1, 12.5, 2), "");
    char untouched = '#';
    pfc::float_to_text(&untouched, 0, 1.0, 0, false);
    EXPECT_EQ(untouched, '#');
}

TEST(float_to_text, decimals_signs_and_leading_zeros) {
    EXPECT_EQ(float_text(32, 3.14159, 2), "3.14");
    EXPECT_EQ(float_text(32, 2.675, 1), "2.7");
    EXPECT_EQ(float_text(32, -1.5, 1), "-1.5");
    EXPECT_EQ(float_text(32, 1.5, 1, true), "+1.5");
    EXPECT_EQ(float_text(32, 0.05, 3), "0.050");
    EXPECT_EQ(float_text(32, 0.004, 3), "0.004");
    EXPECT_EQ(float_text(32, 0.0, 2), "0.00");
    EXPECT_EQ(float_text(32, 0.0, 0), "0");
    EXPECT_EQ(float_text(32, 120.0, 0), "120");
}

TEST(float_to_text, magnitudes_beyond_64_bits_overflow) {
    EXPECT_THROW(float_text(32, 1e19, 0), pfc::exception_overflow);
    EXPECT_THROW(float_text(32, 1.0, 40), pfc::exception_overflow);
    EXPECT_EQ(float_text(32, 9e18, 0), "9000000000000000000");
}

TEST(text_to_float, reads_the_examples) {
    EXPECT_DOUBLE_EQ(pfc::text_to_float(" 12,5", 100), 12.5);
    EXPECT_DOUBLE_EQ(pfc::text_to_float("1e3", 100), 1000.0);
    EXPECT_DOUBLE_EQ(pfc::text_to_float("abc", 100), 0.0);
}

TEST(text_to_float, signs_separators_exponents_and_limits) {
    EXPECT_DOUBLE_EQ(pfc::text_to_float("-2.25", 100), -2.25);
    EXPECT_DOUBLE_EQ(pfc::text_to_float("+7", 100), 7.0);
    EXPECT_DOUBLE_EQ(pfc::text_to_float("-", 100), 0.0);
    EXPECT_DOUBLE_EQ(pfc::text_to_float("1.5.7", 100), 1.5);
    EXPECT_DOUBLE_EQ(pfc::text_to_float("25E-1", 100), 2.5);
    EXPECT_DOUBLE_EQ(pfc::text_to_float("12345", 3), 123.0);
    EXPECT_DOUBLE_EQ(pfc::text_to_float("3x4", 100), 3.0);
    EXPECT_DOUBLE_EQ(pfc::text_to_float("123456789012345678901234", 100), 1.23456789012345678901234e23);
    std::string long_text = std::string(126, ' ') + "45";  // the 128th character is not copied
    EXPECT_DOUBLE_EQ(pfc::text_to_float(long_text.c_str(), 1000), 4.0);
}

TEST(text_to_float, zero_with_any_exponent_is_zero_and_huge_values_are_infinite) {
    EXPECT_EQ(pfc::text_to_float("0e400", 100), 0.0);
    EXPECT_EQ(pfc::text_to_float("0.000e99999", 100), 0.0);
    EXPECT_TRUE(std::signbit(pfc::text_to_float("-0e400", 100)));
    EXPECT_EQ(pfc::text_to_float("1e400", 100), HUGE_VAL);
    EXPECT_EQ(pfc::text_to_float("5e-400", 100), 0.0);
}

TEST(guid_text, upper_case_groups_without_braces) {
    const GUID guid = {0x579306A7, 0x3D5F, 0x4B2D, {0x8A, 0x5D, 0x56, 0x35, 0x46, 0x95, 0xA7, 0xCD}};
    pfc::string8 text("page/");
    pfc::append_guid_text(text, guid);
    EXPECT_STREQ(text.text(), "page/579306A7-3D5F-4B2D-8A5D-56354695A7CD");
    const GUID small = {0x1, 0x2, 0x3, {0, 0x4, 0, 0, 0, 0, 0, 0x5}};
    text.assign_text("");
    pfc::append_guid_text(text, small);
    EXPECT_STREQ(text.text(), "00000001-0002-0003-0004-000000000005");
}

TEST(exceptions, messages_and_derivation) {
    EXPECT_STREQ(pfc::exception_overflow().what(), "Overflow");
    EXPECT_STREQ(exception_service_not_found().what(), "Service not found");
    EXPECT_STREQ(exception_service_duplicated().what(), "Service duplicated");
    EXPECT_STREQ(velvox_io::exception_io_data_truncation().what(), "Unsupported format or corrupted file");
    EXPECT_STREQ(velvox_io::exception_aborted().what(), "User abort");
    velvox_io::exception_io_data_truncation truncation;
    EXPECT_NE(dynamic_cast<velvox_io::exception_io_data*>(&truncation), nullptr);
    velvox_io::exception_aborted aborted;
    EXPECT_EQ(dynamic_cast<velvox_io::exception_io*>(static_cast<std::exception*>(&aborted)), nullptr);
}

TEST(exceptions, bug_check_names_the_hosts_call_path) {
    EXPECT_STREQ(pfc::exception_bug_check_v2().what(), "Bug check");
    shared_enter_call_path("startup");
    shared_enter_call_path("initquit::on_startup");
    pfc::exception_bug_check_v2 error;
    shared_leave_call_path();
    shared_leave_call_path();
    EXPECT_STREQ(error.what(), "Bug check (at: startup > initquit::on_startup)");
    pfc::exception_bug_check& base = error;
    EXPECT_STREQ(base.what(), "Bug check (at: startup > initquit::on_startup)");
}

}  // namespace
