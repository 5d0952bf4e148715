#include "support/vector2.h"

#include <ostream>

std::ostream& operator<<(std::ostream& out, Cvector2 const& v) {
    return out << v.x << ", " << v.y << " ";
}
