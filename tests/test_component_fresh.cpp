// The component as the host finds it right after loading: nothing set yet, every setting at its
// default. One test, so that nothing before it has touched the module.
#include <gtest/gtest.h>

#include "blob_builder.h"
#include "component_library.h"
#include "component_services.h"
#include "component_test_support.h"
#include "host_api_object.h"
#include "streams.h"

namespace {

TEST(fresh_component, reports_no_file_name_and_saves_the_sixteen_defaults) {
    host_api_object api;
    component_library library(component_library_path());
    component_client* client = library.entry_point()(&api, library.instance());
    ASSERT_NE(client, nullptr);

    service_factory_base* factory = client->factory_list();
    while (factory != nullptr && !same_guid(factory->class_guid(), componentversion::class_guid)) {
        factory = factory->next();
    }
    ASSERT_NE(factory, nullptr);
    service_ptr instance;
    factory->instance_create(instance);
    pfc::string8 file_name("unchanged");
    static_cast<componentversion&>(*instance).report_file_name(file_name);
    EXPECT_STREQ(file_name.text(), "unchanged");

    memory_writer writer;
    abort_flag never;
    cxx_boundary::call_out([&] { client->save_configuration(writer, never); });
    const blob_bytes& blob = writer.bytes();
    EXPECT_EQ(blob, settings_blob(setting_rows()));

    // The headers alone: sixteen records, payload lengths in the reverse of construction order.
    std::vector<uint32_t> lengths;
    for (size_t at = 0; at + 20 <= blob.size();) {
        uint32_t length = blob[at + 16] | blob[at + 17] << 8 | blob[at + 18] << 16 | blob[at + 19] << 24;
        lengths.push_back(length);
        at += 20 + length;
    }
    EXPECT_EQ(lengths, (std::vector<uint32_t>{19, 20, 18, 0, 8, 7, 7, 7, 8, 20, 8, 7, 4, 4, 4, 1}));
}

}  // namespace
