// Prints the text scenes as they render on this target, in the form of tests/golden/text_scenes.inc.
// Run under Wine to capture the pictures the native engine is held to.
#include <cstdio>

#include "support/text_scenes.h"

int main() {
    std::printf("// Text scenes as Wine renders them: name, text extent, wrapped extent, frame.\n");
    for (const keylume_test::text_scene& scene : keylume_test::text_scenes())
        std::fputs(keylume_test::golden_source(scene, keylume_test::render_scene(scene)).c_str(), stdout);
    return 0;
}
