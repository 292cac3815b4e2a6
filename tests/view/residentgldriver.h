#pragma once

#include <cstring>
#include <dlfcn.h>
#include <link.h>

// Mesa's DRI driver keeps a few small blocks from its first line drawing in its
// own globals and is unloaded when Qt closes the X display. LeakSanitizer then
// finds the blocks unreferenced, in a module it can no longer name, so no
// suppression can match them. Taking a never-released reference on the loaded
// driver keeps it, and its globals, in memory until exit. Call once GL has
// drawn, before the application object goes.
inline void keepGlDriverResident()
{
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void*) -> int {
            const char* name = info->dlpi_name;
            if (name != nullptr && std::strstr(name, "_dri.so") != nullptr) {
                dlopen(name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            }
            return 0;
        },
        nullptr);
}
