#include "platform/name_limit.h"

namespace tagwright {

NameLimit PlatformNameLimit() {
#ifdef _WIN32
    return NameLimit{NameLimit::Unit::kUtf16Units, 255};
#else
    return NameLimit{NameLimit::Unit::kUtf8Bytes, 255};
#endif
}

}  // namespace tagwright
