# The sources of the native Win32 subset, for the platform library and the fuzz build.
set(KEYLUME_PLATFORM_SOURCES
  gdi_objects.cpp
  gdi_draw.cpp
  user_rects.cpp
  kernel.cpp
  gdi_text.cpp
  text_fonts.cpp
  windows.cpp
  loader.cpp
  registry.cpp
  timers.cpp
  resources.cpp
  icons.cpp
  text_conversion.cpp
)
