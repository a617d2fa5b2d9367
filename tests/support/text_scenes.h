// The text scenes the screens show, each a text object in one face, size, alignment and mode,
// rendered on a fresh surface. The fidelity test compares them with pictures captured under Wine.
#pragma once

#include <string>
#include <vector>

#include "frame_rows.h"

namespace keylume_test {

struct text_scene {
    const char* name;
    const WCHAR* face;  // null: the default GUI font of Prepare
    int points;
    int weight;
    const WCHAR* text;
    RECT box;  // origin and size on the surface, as left, top, width, height
    UINT align;
    BOOL wrapping;
    int margin_left;
    int margin_right;
    int back_mode;
    BOOL invert;
};

struct scene_result {
    rows picture;  // the whole frame
    SIZE text_extent;
    SIZE wrapped_extent;
};

const std::vector<text_scene>& text_scenes();
scene_result render_scene(const text_scene& scene);

// A scene as source text for the golden file: name, extents and the picture.
std::string golden_source(const text_scene& scene, const scene_result& result);

}  // namespace keylume_test
