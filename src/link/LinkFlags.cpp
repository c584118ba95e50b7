#include "link/LinkFlags.h"

namespace ovix {

LinkFlags g_linkFlags;
std::recursive_mutex g_csLink;

} // namespace ovix
