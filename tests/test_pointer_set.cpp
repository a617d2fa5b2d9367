// The native layer's set of live objects: every handle is checked against it, so a pointer that
// was erased must never be reported, whatever the order of inserts and erases and however the
// table grew or the entries after a hole moved.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <vector>

#include "pointer_set.h"

namespace {

TEST(PointerSet, AgreesWithAReferenceSetThroughGrowthAndErases) {
    std::vector<int> objects(3000);
    platform::pointer_set set;
    std::set<const void*> reference;
    std::mt19937 random(7);
    for (int step = 0; step < 40000; ++step) {
        const void* pointer = &objects[random() % objects.size()];
        if (random() % 3 == 0) {
            set.erase(pointer);
            reference.erase(pointer);
        } else {
            set.insert(pointer);
            reference.insert(pointer);
        }
        const void* probe = &objects[random() % objects.size()];
        ASSERT_EQ(set.contains(probe), reference.count(probe) == 1) << "step " << step;
    }
    EXPECT_EQ(set.size(), reference.size());
    for (const int& object : objects) EXPECT_EQ(set.contains(&object), reference.count(&object) == 1);
}

TEST(PointerSet, ThePointerFoundLastIsGoneOnceErased) {
    int a = 0, b = 0;
    platform::pointer_set set;
    EXPECT_FALSE(set.contains(nullptr));
    set.insert(&a);
    set.insert(&b);
    ASSERT_TRUE(set.contains(&a));
    set.erase(&a);
    EXPECT_FALSE(set.contains(&a));
    EXPECT_TRUE(set.contains(&b));
    EXPECT_FALSE(set.contains(nullptr));
}

}  // namespace
