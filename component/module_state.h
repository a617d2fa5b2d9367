// Module-wide state that the host sets through the client object.
#pragma once

#include "pfc_string.h"

extern pfc::string8 g_module_path;
extern pfc::string8 g_module_file_name;
extern bool g_services_available;
