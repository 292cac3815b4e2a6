#include <climits>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <string>

// Mesa's DRI driver keeps small blocks in its globals and is unloaded when Qt
// closes the X display; LeakSanitizer then finds them in a module it cannot
// name, so no suppression matches. Loaded once more by us, never to be
// released, the driver stays until exit. Linked into every widget test.
namespace {

struct ResidentGlDriver
{
    // Under Xvfb Mesa renders with its software rasteriser, which Debian
    // installs in the dri folder beside libGL, whatever the architecture.
    ResidentGlDriver()
    {
        void* gl = dlopen("libGL.so.1", RTLD_LAZY);
        char folder[PATH_MAX] = {};
        if (gl == nullptr || dlinfo(gl, RTLD_DI_ORIGIN, folder) != 0 ||
            dlopen((folder + std::string("/dri/swrast_dri.so")).c_str(),
                   RTLD_NOW | RTLD_NODELETE) == nullptr) {
            const char* reason = dlerror();
            std::fprintf(stderr, "cannot keep the software GL driver loaded: %s\n",
                         reason != nullptr ? reason : "no reason given");
            std::exit(EXIT_FAILURE);
        }
    }
};

const ResidentGlDriver residentGlDriver;

} // namespace
