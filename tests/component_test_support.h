// Where the test programs find the component library: beside them in the build tree.
#pragma once

#include <filesystem>
#include <string>

inline std::string component_library_path() { return "./" KEYLUME_COMPONENT_FILE; }

// A fresh, empty directory for a test's files, as a UTF-8 path ending in a separator.
inline std::string fresh_directory(const std::string& name) {
    std::filesystem::path directory = std::filesystem::temp_directory_path() / ("keylume-" + name);
    std::filesystem::remove_all(directory);
    std::filesystem::create_directories(directory);
    std::u8string text = (directory / "").u8string();
    return std::string(text.begin(), text.end());
}
