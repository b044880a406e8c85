#pragma once
// Runs a clean-up when the scope ends, on every path, so that a clean-up line
// is written once instead of once after the work and again in a catch block
// that rethrows. When the scope ends by an exception, an exception from the
// clean-up is dropped (the first one is the one to report); on a normal exit
// it propagates. Typed guards for the usual pairs follow.
#include <exception>
#include <type_traits>
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

// BeginUpdate now, EndUpdate when the scope is left (strings, collections,
// anything with the pair).
template <class T>
class TUpdateLock {
public:
    explicit TUpdateLock(T* Target) : guard_((Target->BeginUpdate(), Unlock{Target})) {}

private:
    struct Unlock {
        T* target;
        void operator()() const { target->EndUpdate(); }
    };
    TScopeGuard<Unlock> guard_;
};

// DisableControls now, EnableControls when the scope is left (data sets).
template <class T>
class TControlsDisabled {
public:
    explicit TControlsDisabled(T* DataSet) : guard_((DataSet->DisableControls(), Enable{DataSet})) {}

private:
    struct Enable {
        T* dataSet;
        void operator()() const { dataSet->EnableControls(); }
    };
    TScopeGuard<Enable> guard_;
};

// Sets a variable for the length of a scope and puts its old value back after
// (re-entry flags, depth counters, saved states).
template <class T>
class TValueRestorer {
public:
    TValueRestorer(T& Variable, std::type_identity_t<T> Value) : guard_(Restore{&Variable, Variable}) { Variable = std::move(Value); }
    explicit TValueRestorer(T& Variable) : guard_(Restore{&Variable, Variable}) {}

private:
    struct Restore {
        T* variable;
        T old;
        void operator()() { *variable = std::move(old); }
    };
    TScopeGuard<Restore> guard_;
};
