// The bits of one value as a value of another type of the same size, as
// std::bit_cast gives them; the page's WebAssembly tool chain (Emscripten
// 3.1.6, whose C++ library predates std::bit_cast) builds these layers too.
#pragma once

#include <cstring>
#include <type_traits>

template <class To, class From>
To BitCopy(const From& from) {
    static_assert(sizeof(To) == sizeof(From));
    static_assert(std::is_trivially_copyable_v<To> && std::is_trivially_copyable_v<From>);
    To to;
    std::memcpy(&to, &from, sizeof to);
    return to;
}
