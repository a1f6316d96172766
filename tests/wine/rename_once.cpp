// Preloaded into a test's wineserver, which renames files for Wine's programs: the first
// rename of a file of the setup's own (VRNxxxx.TMP) onto a name that ends in $RENAME_FAILS
// is refused, as Windows may refuse one.
#include <dlfcn.h>
#include <strings.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

extern "C" int rename(const char* from, const char* to) {
    static bool refused;
    const char* name = strrchr(from, '/');
    const char* target = getenv("RENAME_FAILS");
    size_t length = target ? strlen(target) : 0, toLength = strlen(to);
    if (!refused && name && !strncasecmp(name + 1, "vrn", 3) && length && toLength >= length &&
        !strcasecmp(to + toLength - length, target)) {
        refused = true;
        errno = EACCES;
        return -1;
    }
    static auto next = reinterpret_cast<int (*)(const char*, const char*)>(dlsym(RTLD_NEXT, "rename"));
    return next(from, to);
}
