// Configuration variables and their blob: records, unknown and truncated records, long strings,
// short payloads, aborting a save.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cfg_var.h"
#include "cxx_boundary.h"
#include "host_streams.h"
#include "streams.h"

namespace {

constexpr GUID flag_guid = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x01}};
constexpr GUID number_guid = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x02}};
constexpr GUID name_guid = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x03}};
constexpr GUID unknown_guid = {0xDEADBEEF, 0x0001, 0x0002, {9, 9, 9, 9, 9, 9, 9, 9}};

// Construction order: flag, number, name, then a second variable with number's GUID.
cfg_int_t<bool> flag(flag_guid, false);
cfg_int_t<int> number(number_guid, 7);
cfg_string name(name_guid, "default name");
cfg_int_t<int> number_shadow(number_guid, -1);

using bytes = std::vector<uint8_t>;

void append_guid(bytes& out, const GUID& guid) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(guid.Data1 >> (8 * i)));
    for (int i = 0; i < 2; ++i) out.push_back(static_cast<uint8_t>(guid.Data2 >> (8 * i)));
    for (int i = 0; i < 2; ++i) out.push_back(static_cast<uint8_t>(guid.Data3 >> (8 * i)));
    for (uint8_t b : guid.Data4) out.push_back(b);
}

void append_u32(bytes& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void append_record(bytes& out, const GUID& guid, const bytes& payload) {
    append_guid(out, guid);
    append_u32(out, static_cast<uint32_t>(payload.size()));
    out.insert(out.end(), payload.begin(), payload.end());
}

bytes text_bytes(const std::string& text) { return bytes(text.begin(), text.end()); }

// The host stand-in's reader, reached as the component reaches the host's.
void load(const bytes& blob) {
    memory_reader reader(blob);
    abort_flag never;
    host_stream_reader host_reader(reader, never);
    cfg_load(host_reader, never);
}

class cfg_var_test : public ::testing::Test {
protected:
    void SetUp() override {
        flag = false;
        number = 7;
        name = "default name";
        number_shadow = -1;
    }
};

TEST_F(cfg_var_test, save_writes_records_newest_first) {
    flag = true;
    number = 0x01020304;
    name = "N\xC3\xA9";
    number_shadow = -2;
    memory_writer writer;
    abort_flag never;
    cfg_save(writer, never);
    bytes expected;
    append_record(expected, number_guid, {0xFE, 0xFF, 0xFF, 0xFF});
    append_record(expected, name_guid, text_bytes("N\xC3\xA9"));
    append_record(expected, number_guid, {0x04, 0x03, 0x02, 0x01});
    append_record(expected, flag_guid, {0x01});
    EXPECT_EQ(writer.bytes(), expected);
}

TEST_F(cfg_var_test, empty_blob_leaves_the_defaults) {
    load({});
    EXPECT_FALSE(flag);
    EXPECT_EQ(number, 7);
    EXPECT_STREQ(name, "default name");
}

TEST_F(cfg_var_test, the_variable_constructed_first_takes_a_shared_guid_and_later_records_win) {
    bytes blob;
    append_record(blob, number_guid, {1, 0, 0, 0});
    append_record(blob, number_guid, {2, 0, 0, 0});
    load(blob);
    EXPECT_EQ(number, 2);
    EXPECT_EQ(number_shadow, -1);
}

TEST_F(cfg_var_test, unknown_record_is_skipped_whole) {
    bytes blob;
    append_record(blob, unknown_guid, text_bytes("whatever is in here"));
    append_record(blob, flag_guid, {0x80});
    load(blob);
    EXPECT_TRUE(flag);
}

TEST_F(cfg_var_test, string_of_length_zero_is_empty) {
    bytes blob;
    append_record(blob, name_guid, {});
    load(blob);
    EXPECT_STREQ(name, "");
}

// Records the sizes of the reads and of the exact skips that loading asks for; the third
// operation is the host stand-in's, which reports a call as a fault. The stand-in's reader is
// called across the module boundary, as the component calls the host's.
class recording_reader final : public stream_reader {
public:
    explicit recording_reader(bytes content) : m_inner(std::move(content)) {}
    size_t read(void* buffer, size_t count, abort_callback& abort) override {
        size_t got = cxx_boundary::call_out([&] { return m_inner.read(buffer, count, abort); });
        reads.push_back(got);
        return got;
    }
    void read_exact(void* buffer, size_t count, abort_callback& abort) override {
        cxx_boundary::call_out([&] { m_inner.read_exact(buffer, count, abort); });
    }
    void not_for_the_component() override {
        cxx_boundary::call_out([&] { m_inner.not_for_the_component(); });
    }
    void skip_exact(uint64_t count, abort_callback& abort) override {
        skips.push_back(count);
        cxx_boundary::call_out([&] { m_inner.skip_exact(count, abort); });
    }
    std::vector<size_t> reads;
    std::vector<uint64_t> skips;

private:
    memory_reader m_inner;
};

TEST_F(cfg_var_test, string_of_600_bytes_is_read_in_chunks_of_256) {
    std::string text;
    for (int i = 0; i < 600; ++i) text += static_cast<char>('a' + i % 26);
    bytes blob;
    append_record(blob, name_guid, text_bytes(text));
    append_record(blob, flag_guid, {1});
    recording_reader reader(blob);
    abort_flag never;
    cfg_load(reader, never);
    EXPECT_EQ(std::string(name), text);
    EXPECT_TRUE(flag);
    // 16 for the first GUID, then 256, 256, 88; 16 for the second GUID and its 1 byte; the end.
    EXPECT_EQ(reader.reads, (std::vector<size_t>{16, 256, 256, 88, 16, 1, 0}));
}

TEST_F(cfg_var_test, string_of_512_bytes_ends_with_a_read_of_nothing) {
    std::string text(512, 'z');
    bytes blob;
    append_record(blob, name_guid, text_bytes(text));
    recording_reader reader(blob);
    abort_flag never;
    cfg_load(reader, never);
    EXPECT_EQ(std::string(name), text);
    EXPECT_EQ(reader.reads, (std::vector<size_t>{16, 256, 256, 0, 0}));
}

// Of the stream reader's operations, the third is not the component's to use. The rest of a
// record is skipped with skip_exact, and only when something is left.
TEST_F(cfg_var_test, loading_skips_only_what_records_leave_and_never_calls_the_third_operation) {
    bytes blob;
    append_record(blob, flag_guid, {1});
    append_record(blob, number_guid, {0x10, 0, 0, 0, 0xAA, 0xBB});
    append_record(blob, unknown_guid, text_bytes("not ours"));
    append_record(blob, unknown_guid, {});
    append_record(blob, name_guid, text_bytes("whole"));
    recording_reader reader(blob);
    abort_flag never;
    cfg_load(reader, never);
    EXPECT_TRUE(flag);
    EXPECT_EQ(number, 0x10);
    EXPECT_STREQ(name, "whole");
    EXPECT_EQ(reader.skips, (std::vector<uint64_t>{2, 8}));
}

// The text is what comes before a zero byte; the record is still read whole.
TEST_F(cfg_var_test, string_record_with_a_zero_byte_gives_the_text_before_it) {
    bytes blob;
    append_record(blob, name_guid, {'a', 'b', 0, 'c', 'd'});
    append_record(blob, flag_guid, {1});
    load(blob);
    EXPECT_STREQ(name, "ab");
    EXPECT_TRUE(flag);
    bytes long_payload(600, 'q');
    long_payload[300] = 0;  // in the second chunk of 256 bytes
    blob.clear();
    append_record(blob, name_guid, long_payload);
    load(blob);
    EXPECT_EQ(std::string(name), std::string(300, 'q'));
}

TEST_F(cfg_var_test, short_payloads_keep_the_previous_values) {
    flag = true;
    number = 99;
    bytes blob;
    append_record(blob, flag_guid, {});
    append_record(blob, number_guid, {1, 2});
    append_record(blob, name_guid, text_bytes("after"));
    load(blob);
    EXPECT_TRUE(flag);
    EXPECT_EQ(number, 99);
    EXPECT_STREQ(name, "after");
}

TEST_F(cfg_var_test, long_payload_uses_the_first_bytes_and_skips_the_rest) {
    bytes blob;
    append_record(blob, number_guid, {0x10, 0, 0, 0, 0xAA, 0xBB, 0xCC, 0xDD});
    append_record(blob, flag_guid, {1, 1, 1});
    load(blob);
    EXPECT_EQ(number, 0x10);
    EXPECT_TRUE(flag);
}

TEST_F(cfg_var_test, blob_ending_inside_a_guid_stops_quietly) {
    bytes blob;
    append_record(blob, number_guid, {5, 0, 0, 0});
    blob.insert(blob.end(), {1, 2, 3, 4, 5});
    load(blob);
    EXPECT_EQ(number, 5);
}

TEST_F(cfg_var_test, truncated_length_throws_after_the_records_before_it) {
    bytes blob;
    append_record(blob, number_guid, {5, 0, 0, 0});
    append_guid(blob, flag_guid);
    blob.insert(blob.end(), {1, 0});
    EXPECT_THROW(load(blob), velvox_io::exception_io_data_truncation);
    EXPECT_EQ(number, 5);
    EXPECT_FALSE(flag);
}

TEST_F(cfg_var_test, blob_ending_inside_a_skipped_payload_throws) {
    bytes blob;
    append_record(blob, flag_guid, {1});
    append_guid(blob, unknown_guid);
    append_u32(blob, 100);
    blob.insert(blob.end(), 10, 0);
    EXPECT_THROW(load(blob), velvox_io::exception_io_data_truncation);
    EXPECT_TRUE(flag);
}

TEST_F(cfg_var_test, truncated_string_payload_keeps_the_previous_text) {
    bytes blob;
    append_guid(blob, name_guid);
    append_u32(blob, 50);
    bytes part = text_bytes("only part of it");
    blob.insert(blob.end(), part.begin(), part.end());
    EXPECT_THROW(load(blob), velvox_io::exception_io_data_truncation);
    EXPECT_STREQ(name, "default name");
}

// A writer that raises the abort flag once a number of bytes have been written.
class aborting_writer final : public stream_writer {
public:
    aborting_writer(abort_flag& flag, size_t abort_after) : m_flag(flag), m_abort_after(abort_after) {}
    void write(const void* buffer, size_t count, abort_callback& abort) override {
        cxx_boundary::call_out([&] { m_inner.write(buffer, count, abort); });
        if (m_inner.bytes().size() >= m_abort_after) m_flag.abort();
    }
    const bytes& written() const { return m_inner.bytes(); }

private:
    memory_writer m_inner;
    abort_flag& m_flag;
    size_t m_abort_after;
};

TEST_F(cfg_var_test, abort_during_a_save_keeps_what_was_written) {
    abort_flag abort;
    aborting_writer writer(abort, 24);  // raised after the first record
    try {
        cfg_save(writer, abort);
        FAIL() << "no exception";
    } catch (const velvox_io::exception_aborted& error) {
        EXPECT_STREQ(error.what(), "User abort");
    }
    bytes first;
    append_record(first, number_guid, {0xFF, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(writer.written(), first);
}

TEST(buffer_writer, capacity_doubles_and_stays_after_clear) {
    buffer_writer buffer;
    abort_flag never;
    buffer.write("abc", 3, never);
    EXPECT_EQ(buffer.capacity(), 4u);
    buffer.write("defgh", 5, never);
    EXPECT_EQ(buffer.capacity(), 8u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.data()), buffer.size()), "abcdefgh");
    buffer.write("i", 1, never);
    EXPECT_EQ(buffer.capacity(), 16u);
    buffer.clear();
    EXPECT_EQ(buffer.size(), 0u);
    EXPECT_EQ(buffer.capacity(), 16u);
    abort_flag aborting;
    aborting.abort();
    EXPECT_THROW(buffer.write("x", 1, aborting), velvox_io::exception_aborted);
    EXPECT_EQ(buffer.size(), 0u);
    EXPECT_THROW(buffer.write("x", 0xFFFFFFFFu, never), std::bad_alloc);
}

TEST(limited_reader, lets_through_at_most_its_count) {
    memory_reader inner(text_bytes("0123456789"));
    limited_reader limited(inner, 4);
    abort_flag never;
    char buffer[10] = {};
    EXPECT_EQ(limited.read(buffer, 3, never), 3u);
    EXPECT_EQ(limited.remaining(), 1u);
    EXPECT_EQ(limited.read(buffer, 3, never), 1u);
    EXPECT_EQ(buffer[0], '3');
    EXPECT_EQ(limited.read(buffer, 3, never), 0u);
    EXPECT_THROW(limited.read_exact(buffer, 1, never), velvox_io::exception_io_data_truncation);
    limited_reader skipping(inner, 5);
    skipping.skip_exact(2, never);
    EXPECT_EQ(skipping.remaining(), 3u);
    EXPECT_THROW(skipping.skip_exact(4, never), velvox_io::exception_io_data_truncation);
    EXPECT_EQ(inner.position(), 9u);
}

}  // namespace
