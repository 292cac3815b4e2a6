// Prints the checksum of every golden world, one per line, and fails when one
// differs from the table. check-golden-worlds.sh builds it with several
// compilers and optimisation levels and compares their outputs.
#include "goldenworlds.h"

#include <cstdio>

int main()
{
    int failures = 0;
    for (const GoldenWorlds::World& world : GoldenWorlds::worlds) {
        const std::uint32_t checksum = GoldenWorlds::checksum(*GoldenWorlds::build(world));
        std::printf("%-24s 0x%08x\n", world.name, unsigned(checksum));
        if (checksum != world.checksum) {
            std::printf("  expected 0x%08x\n", unsigned(world.checksum));
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
