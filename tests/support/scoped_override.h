// Replaces one entry of a deliverable's system-call table for the life of a scope and
// puts the real function back at scope exit, also when an assertion leaves the test early.
#pragma once

#include <utility>

namespace vmxtest {

template <class Fn>
class ScopedOverride {
public:
    ScopedOverride(Fn& slot, Fn replacement) : slot_(slot), saved_(slot) { slot_ = replacement; }
    ~ScopedOverride() { slot_ = saved_; }
    ScopedOverride(const ScopedOverride&) = delete;
    ScopedOverride& operator=(const ScopedOverride&) = delete;

private:
    Fn& slot_;
    Fn saved_;
};

template <class Fn>
ScopedOverride(Fn&, Fn) -> ScopedOverride<Fn>;

}  // namespace vmxtest
