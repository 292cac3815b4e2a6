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

// Under Xvfb Mesa renders with its software rasteriser, which Debian installs
// in the dri folder beside libGL, whatever the architecture.
std::string softwareDriverPath()
{
    void* gl = dlopen("libGL.so.1", RTLD_LAZY);
    char folder[PATH_MAX] = {};
    if (gl == nullptr || dlinfo(gl, RTLD_DI_ORIGIN, folder) != 0)
        return {};
    return std::string(folder) + "/dri/swrast_dri.so";
}

struct ResidentGlDriver
{
    ResidentGlDriver()
    {
        const std::string path = softwareDriverPath();
        if (path.empty() || dlopen(path.c_str(), RTLD_NOW | RTLD_NODELETE) == nullptr) {
            const char* reason = dlerror();
            std::fprintf(stderr, "cannot keep the software GL driver '%s' loaded: %s\n",
                         path.c_str(), reason != nullptr ? reason : "libGL not found");
            std::exit(EXIT_FAILURE);
        }
    }
};

const ResidentGlDriver residentGlDriver;

} // namespace
