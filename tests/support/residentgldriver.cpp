#include <dlfcn.h>

// Mesa's DRI driver keeps a few small blocks from its first line drawing in its
// own globals and is unloaded when Qt closes the X display. LeakSanitizer then
// finds the blocks unreferenced, in a module it can no longer name, so no
// suppression can match them. Loading the driver once ourselves, never to be
// released, keeps it and its globals in memory until exit; Mesa's own load
// later finds the same object. Linked into every widget test.
namespace {

struct ResidentGlDriver
{
    ResidentGlDriver()
    {
        // Under Xvfb Mesa renders with its software rasteriser.
        dlopen("/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", RTLD_NOW | RTLD_NODELETE);
    }
};

const ResidentGlDriver residentGlDriver;

} // namespace
