#pragma once

template <class A, class B>
struct Pair {
    A first;
    B second;
};
