// Lists of rows for declaring fields in one place: the preprocessor's for-each over
// parenthesised rows, and the tie of the members the rows name. Light on purpose: the
// arguments of commands are declared with it in headers that many files include.
#pragma once

#include <tuple>

namespace GAME {

// The members of a row list as one tuple of references (the int only starts the list
// the rows' ", name" continue).
template <class... T>
std::tuple<T&...> TieFields(int, T&... values)
{
    return {values...};
}

}  // namespace GAME

#define GAME_NET_FOR_EACH_1(M, row) M row
#define GAME_NET_FOR_EACH_2(M, row, ...) M row GAME_NET_FOR_EACH_1(M, __VA_ARGS__)
#define GAME_NET_FOR_EACH_3(M, row, ...) M row GAME_NET_FOR_EACH_2(M, __VA_ARGS__)
#define GAME_NET_FOR_EACH_4(M, row, ...) M row GAME_NET_FOR_EACH_3(M, __VA_ARGS__)
#define GAME_NET_FOR_EACH_5(M, row, ...) M row GAME_NET_FOR_EACH_4(M, __VA_ARGS__)
#define GAME_NET_FOR_EACH_6(M, row, ...) M row GAME_NET_FOR_EACH_5(M, __VA_ARGS__)
#define GAME_NET_FOR_EACH_7(M, row, ...) M row GAME_NET_FOR_EACH_6(M, __VA_ARGS__)
#define GAME_NET_FOR_EACH_8(M, row, ...) M row GAME_NET_FOR_EACH_7(M, __VA_ARGS__)
#define GAME_NET_FOR_EACH_9(M, row, ...) M row GAME_NET_FOR_EACH_8(M, __VA_ARGS__)
#define GAME_NET_FOR_EACH_10(M, row, ...) M row GAME_NET_FOR_EACH_9(M, __VA_ARGS__)
#define GAME_NET_FOR_EACH_11(M, row, ...) M row GAME_NET_FOR_EACH_10(M, __VA_ARGS__)
#define GAME_NET_FOR_EACH_12(M, row, ...) M row GAME_NET_FOR_EACH_11(M, __VA_ARGS__)
#define GAME_NET_PICK(_1, _2, _3, _4, _5, _6, _7, _8, _9, _10, _11, _12, N, ...) N
// M applied to each parenthesised row, at most twelve: M (a, b) is M(a, b).
#define GAME_NET_FOR_EACH(M, ...)                                                                       \
    GAME_NET_PICK(__VA_ARGS__, GAME_NET_FOR_EACH_12, GAME_NET_FOR_EACH_11, GAME_NET_FOR_EACH_10,      \
                  GAME_NET_FOR_EACH_9, GAME_NET_FOR_EACH_8, GAME_NET_FOR_EACH_7, GAME_NET_FOR_EACH_6, \
                  GAME_NET_FOR_EACH_5, GAME_NET_FOR_EACH_4, GAME_NET_FOR_EACH_3, GAME_NET_FOR_EACH_2, \
                  GAME_NET_FOR_EACH_1)(M, __VA_ARGS__)
