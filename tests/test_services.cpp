// Service pointers, static services, and the lookup of the host's services through the host API
// object of the host stand-in.
#include <gtest/gtest.h>

#include "component_services.h"
#include "counted_service.h"
#include "host_api_object.h"

namespace {

// A host service that counts how often it was destroyed.
class probe_service : public version_information {
public:
    explicit probe_service(int& destroyed) : m_destroyed(destroyed) {}
    ~probe_service() { ++m_destroyed; }
    const char* version_text() override { return "probe"; }

private:
    int& m_destroyed;
};

class recorded_host : public ::testing::Test {
protected:
    void SetUp() override { g_velvox_api = &api; }
    void TearDown() override { g_velvox_api = nullptr; }
    int destroyed = 0;  // outlives the services the host object holds
    host_api_object api;
};

TEST_F(recorded_host, one_service_of_a_class_is_found) {
    add_standard_host_services(api);
    service_ptr_t<version_information> version = find_host_service<version_information>();
    ASSERT_TRUE(version);
    EXPECT_STREQ(version->version_text(), "1.0");
}

TEST_F(recorded_host, a_class_without_services_is_not_found_and_leaves_the_pointer) {
    api.add_class(template_compiler::class_guid);
    service_ptr kept = make_counted_service<probe_service>(destroyed);
    service_base* before = kept.get();
    try {
        find_host_service(kept, template_compiler::class_guid);
        FAIL() << "no exception";
    } catch (const exception_service_not_found& error) {
        EXPECT_STREQ(error.what(), "Service not found");
    }
    EXPECT_EQ(kept.get(), before);
    EXPECT_THROW(find_host_service(kept, playback_callback_registry::class_guid), exception_service_not_found);
    EXPECT_EQ(kept.get(), before);
}

TEST_F(recorded_host, a_class_with_two_services_is_duplicated) {
    api.add_service(version_information::class_guid, make_counted_service<probe_service>(destroyed).get());
    api.add_service(version_information::class_guid, make_counted_service<probe_service>(destroyed).get());
    service_ptr out;
    try {
        find_host_service(out, version_information::class_guid);
        FAIL() << "no exception";
    } catch (const exception_service_duplicated& error) {
        EXPECT_STREQ(error.what(), "Service duplicated");
    }
    EXPECT_FALSE(out);
    EXPECT_EQ(destroyed, 0);
}

TEST(host_lookup, without_a_host_api_object_nothing_is_found) {
    service_ptr out;
    EXPECT_THROW(find_host_service(out, version_information::class_guid), exception_service_not_found);
}

TEST(service_ptr, holds_one_reference_and_releases_it) {
    int destroyed = 0;
    {
        service_ptr_t<version_information> first = make_counted_service<probe_service>(destroyed);
        service_ptr_t<version_information> second = first;
        EXPECT_EQ(first->add_ref(), 3);
        EXPECT_EQ(first->release(), 2);
        second.release();
        EXPECT_FALSE(second);
        EXPECT_EQ(destroyed, 0);
        first = first;  // adds before it releases: the object survives
        EXPECT_EQ(destroyed, 0);
        EXPECT_STREQ(first->version_text(), "probe");
    }
    EXPECT_EQ(destroyed, 1);
}

TEST(service_ptr, query_answers_only_its_own_class) {
    int destroyed = 0;
    service_ptr_t<version_information> version = make_counted_service<probe_service>(destroyed);
    service_ptr found;
    EXPECT_FALSE(version->query(found, template_compiler::class_guid));
    EXPECT_FALSE(found);
    EXPECT_TRUE(version->query(found, version_information::class_guid));
    EXPECT_EQ(found.get(), static_cast<service_base*>(version.get()));
}

}  // namespace
