#pragma once
// Runs a clean-up when the scope ends, on every path. When the scope ends by
// an exception, an exception from the clean-up is dropped (the first one is
// the one to report); on a normal exit it propagates.
#include <exception>
#include <utility>

template <class F>
class TScopeGuard {
public:
    explicit TScopeGuard(F Cleanup) : cleanup_(std::move(Cleanup)), exceptions_(std::uncaught_exceptions()) {}
    TScopeGuard(const TScopeGuard&) = delete;
    TScopeGuard& operator=(const TScopeGuard&) = delete;
    TScopeGuard(TScopeGuard&& Other) noexcept
        : cleanup_(std::move(Other.cleanup_)), exceptions_(Other.exceptions_), active_(Other.active_) {
        Other.active_ = false;
    }
    ~TScopeGuard() noexcept(false) {
        if (!active_) return;
        if (std::uncaught_exceptions() > exceptions_) {
            try {
                cleanup_();
            } catch (...) {
            }
        } else {
            cleanup_();
        }
    }
    // The clean-up is no longer needed.
    void Dismiss() { active_ = false; }

private:
    F cleanup_;
    int exceptions_;
    bool active_ = true;
};

template <class F>
TScopeGuard<F> MakeScopeGuard(F Cleanup) {
    return TScopeGuard<F>(std::move(Cleanup));
}
