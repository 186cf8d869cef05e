#pragma once
// 128-bit integer division rounding down or up, for walking lines with far-away end points
// without overflow.

namespace vespian {

__extension__ typedef __int128 Wide;

inline Wide floorDiv(Wide a, Wide b) {  // b > 0
    Wide q = a / b;
    if ((a % b) != 0 && a < 0) --q;
    return q;
}

inline Wide ceilDiv(Wide a, Wide b) {  // b > 0
    Wide q = a / b;
    if ((a % b) != 0 && a > 0) ++q;
    return q;
}

}  // namespace vespian
