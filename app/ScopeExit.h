#pragma once

#include <utility>

// Runs an action when the scope is left, also by an exception: the "finally"
// of the window's routines (refresh the window, clear a lock flag).
template <typename F>
class TScopeExit
{
public:
    explicit TScopeExit(F AAction) : FAction(std::move(AAction)) {}
    ~TScopeExit() { FAction(); }
    TScopeExit(const TScopeExit &) = delete;
    TScopeExit &operator=(const TScopeExit &) = delete;

private:
    F FAction;
};
