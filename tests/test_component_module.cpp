// The component loaded by the host stand-in: its factories and services, and its configuration
// handed over from memory and from files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "blob_builder.h"
#include "component_services.h"
#include "component_test_support.h"
#include "loaded_component.h"
#include "playback_host.h"
#include "preferences_page_keylume.h"
#include "streams.h"

namespace {

class component_module : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        api = new host_api_object;
        add_standard_host_services(*api);
        velvox_host::add_playback_services(*api);
        component = new loaded_component(component_library_path(), *api);
    }
    static void TearDownTestSuite() {
        delete component;
        delete api;
    }
    // Every test starts from the default settings.
    void SetUp() override { load(settings_blob(setting_rows())); }

    static void load(const blob_bytes& blob) {
        memory_reader reader(blob);
        abort_flag never;
        cxx_boundary::call_out([&] { component->client().load_configuration(reader, never); });
    }
    static blob_bytes save() {
        memory_writer writer;
        abort_flag never;
        cxx_boundary::call_out([&] { component->client().save_configuration(writer, never); });
        return writer.bytes();
    }

    static host_api_object* api;
    static loaded_component* component;
};

host_api_object* component_module::api = nullptr;
loaded_component* component_module::component = nullptr;

TEST_F(component_module, client_reports_its_version_and_build) {
    EXPECT_EQ(component->client().client_version(), 76u);
    EXPECT_FALSE(component->client().is_debug_build());
}

TEST_F(component_module, factory_list_runs_from_the_last_registered) {
    std::vector<service_factory_base*> factories = component->factories();
    ASSERT_EQ(factories.size(), 3u);
    EXPECT_TRUE(same_guid(factories[0]->class_guid(), preferences_page::class_guid));
    EXPECT_TRUE(same_guid(factories[1]->class_guid(), initquit::class_guid));
    EXPECT_TRUE(same_guid(factories[2]->class_guid(), componentversion::class_guid));
}

TEST_F(component_module, version_record_texts) {
    component_version_record record = component->version_record();
    EXPECT_EQ(record.file_name, KEYLUME_COMPONENT_FILE);
    EXPECT_EQ(record.name, "Keylume");
    EXPECT_EQ(record.version, "0.3c");
    EXPECT_EQ(record.about_text, "Displays song information on a\ngaming keyboard's LCD display.");
}

TEST_F(component_module, services_answer_queries_for_their_own_class_only) {
    for (const GUID* own : {&componentversion::class_guid, &initquit::class_guid}) {
        service_ptr service = component->find_service(*own);
        ASSERT_TRUE(service);
        service_ptr found;
        EXPECT_TRUE(service->query(found, *own));
        EXPECT_EQ(found.get(), service.get());
        service_ptr other;
        const GUID& foreign = own == &initquit::class_guid ? componentversion::class_guid : initquit::class_guid;
        EXPECT_FALSE(service->query(other, foreign));
        EXPECT_FALSE(service->query(other, version_information::class_guid));
        EXPECT_FALSE(other);
    }
}

TEST_F(component_module, instances_are_static_and_never_destroyed) {
    service_factory_base* factory = component->factories()[2];
    service_ptr first;
    service_ptr second;
    factory->instance_create(first);
    factory->instance_create(second);
    EXPECT_EQ(first.get(), second.get());
    for (int i = 0; i < 10; ++i) EXPECT_EQ(first->release(), 1);
    EXPECT_EQ(first->add_ref(), 1);
    first.release();
    second.release();
    factory->instance_create(first);
    pfc::string8 name;
    static_cast<componentversion&>(*first).report_name(name);
    EXPECT_STREQ(name.text(), "Keylume");
}

TEST_F(component_module, startup_and_shutdown_hooks_are_offered) {
    service_ptr hooks = component->find_service(initquit::class_guid);
    ASSERT_TRUE(hooks);
    cxx_boundary::call_out([&] { static_cast<initquit&>(*hooks).on_startup(); });
    static_cast<initquit&>(*hooks).on_shutdown();
    EXPECT_EQ(save(), settings_blob(setting_rows()));
}

TEST_F(component_module, stored_values_come_back_byte_for_byte) {
    std::vector<setting_row> rows = setting_rows();
    rows[0].default_payload = {1};
    rows[1].default_payload = {99, 0, 0, 0};  // outside 1..30: kept as stored
    rows[2].default_payload = {7, 0, 0, 0};   // not a time mode: kept as stored
    rows[12].default_payload = text_payload("\xE2\x82\xAC %title% \xF0\x9F\x98\x80");
    rows[15].default_payload = text_payload(std::string(600, 'x'));
    load(settings_blob(rows));
    EXPECT_EQ(save(), settings_blob(rows));
}

TEST_F(component_module, record_for_no_setting_is_skipped_and_short_payload_keeps_the_value) {
    blob_bytes blob;
    append_record(blob, "{00000000-1111-2222-3333-444444444444}", text_payload("not ours"));
    append_record(blob, setting_rows()[0].guid, {});
    append_record(blob, setting_rows()[1].guid, {12, 0});
    append_record(blob, setting_rows()[3].guid, {2, 0, 0, 0, 9, 9, 9, 9});
    load(blob);
    std::vector<setting_row> expected = setting_rows();
    expected[3].default_payload = {2, 0, 0, 0};
    EXPECT_EQ(save(), settings_blob(expected));
}

TEST_F(component_module, truncation_from_the_hosts_reader_reaches_the_host_across_modules) {
    blob_bytes blob;
    append_record(blob, setting_rows()[4].guid, text_payload("first"));
    blob_bytes guid = guid_bytes(setting_rows()[5].guid);
    blob.insert(blob.end(), guid.begin(), guid.end());
    blob.push_back(3);
    EXPECT_THROW(load(blob), velvox_io::exception_io_data_truncation);
    std::vector<setting_row> expected = setting_rows();
    expected[4].default_payload = text_payload("first");
    EXPECT_EQ(save(), settings_blob(expected));
}

TEST_F(component_module, missing_library_is_named) {
    try {
        loaded_component missing("./no-such-component.dll", *api);
        FAIL() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("./no-such-component.dll"), std::string::npos) << error.what();
    }
}

void write_file(const std::string& path, const blob_bytes& bytes) {
    std::ofstream file(std::filesystem::path(std::u8string(path.begin(), path.end())), std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

TEST_F(component_module, configuration_file_round_trip) {
    std::string directory = fresh_directory("round-trip");
    std::string path = directory + "keylume.cfg";
    EXPECT_EQ(component->load_configuration(path), std::nullopt);  // first run: no file
    EXPECT_EQ(save(), settings_blob(setting_rows()));
    std::vector<setting_row> rows = setting_rows();
    rows[6].default_payload = text_payload("%album%");
    write_file(path, settings_blob(rows));
    EXPECT_EQ(component->load_configuration(path), std::nullopt);
    load(settings_blob(setting_rows()));
    abort_flag never;
    component->save_configuration(path, never);
    EXPECT_EQ(read_file(path), settings_blob(setting_rows()));
    EXPECT_FALSE(file_exists(path + ".new"));
}

TEST_F(component_module, truncated_file_is_reported_and_keeps_what_was_read_across_modules) {
    std::string path = fresh_directory("truncated") + "keylume.cfg";
    std::vector<setting_row> rows = setting_rows();
    rows[15].default_payload = text_payload("%genre%");  // saved first
    rows[14].default_payload = text_payload("%tracknumber%");
    blob_bytes blob = settings_blob(rows);
    blob.resize(20 + 7 + 20 + 5);  // ends inside the second record's payload
    write_file(path, blob);
    std::optional<std::string> problem = component->load_configuration(path);
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->find(path), std::string::npos) << *problem;
    EXPECT_NE(problem->find("Unsupported format or corrupted file"), std::string::npos) << *problem;
    EXPECT_EQ(read_file(path + ".damaged"), blob);
    std::vector<setting_row> expected = setting_rows();
    expected[15].default_payload = text_payload("%genre%");
    EXPECT_EQ(save(), settings_blob(expected));
}

TEST_F(component_module, damaged_copies_of_earlier_runs_are_kept_across_modules) {
    std::string path = fresh_directory("damaged_twice") + "keylume.cfg";
    blob_bytes first = settings_blob(setting_rows());
    first.resize(25);  // both end inside the first record's payload
    blob_bytes second = settings_blob(setting_rows());
    second.resize(35);
    write_file(path, first);
    ASSERT_TRUE(component->load_configuration(path));
    write_file(path, second);
    std::optional<std::string> problem = component->load_configuration(path);
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->find(path + ".damaged.2"), std::string::npos) << *problem;
    EXPECT_EQ(read_file(path + ".damaged"), first);
    EXPECT_EQ(read_file(path + ".damaged.2"), second);
}

TEST_F(component_module, aborted_save_leaves_the_stored_file_across_modules) {
    std::string path = fresh_directory("aborted") + "keylume.cfg";
    write_file(path, {1, 2, 3});
    abort_flag aborting;
    aborting.abort();
    EXPECT_THROW(component->save_configuration(path, aborting), velvox_io::exception_aborted);
    EXPECT_EQ(read_file(path), (blob_bytes{1, 2, 3}));
    EXPECT_FALSE(file_exists(path + ".new"));
}

TEST_F(component_module, unwritable_file_is_named) {
    std::string path = fresh_directory("unwritable") + "missing-directory/keylume.cfg";
    abort_flag never;
    try {
        component->save_configuration(path, never);
        FAIL() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("missing-directory"), std::string::npos) << error.what();
    }
}

}  // namespace
