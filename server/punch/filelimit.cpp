#include "filelimit.h"
#include <algorithm>
#include <sys/resource.h>

namespace zarvo {

long raiseOpenFileLimit()
{
    rlimit lim{};
    if (getrlimit(RLIMIT_NOFILE, &lim) != 0)
        return 1024;
    if (lim.rlim_cur < lim.rlim_max) {
        rlimit wanted = lim;
        // An unlimited hard limit cannot be the soft one (the kernel caps it at nr_open).
        wanted.rlim_cur = lim.rlim_max == RLIM_INFINITY ? rlim_t(1) << 20 : lim.rlim_max;
        if (setrlimit(RLIMIT_NOFILE, &wanted) == 0)
            lim = wanted;
    }
    return lim.rlim_cur == RLIM_INFINITY ? 1L << 20 : long(lim.rlim_cur);
}

int defaultConnectionCap()
{
    constexpr long reserve = 256;
    const long limit = raiseOpenFileLimit();
    return int(std::clamp(limit - reserve, 16L, 32767L));
}

} // namespace zarvo
