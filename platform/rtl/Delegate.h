#pragma once
// Events: copyable method pointers that compare equal on (object, method), so a
// hook can find and remove the very handler it installed. A free function or a
// lambda without captures can be bound too.
#include <cstring>
#include <utility>

template <typename Signature>
class Delegate;

template <typename R, typename... Args>
class Delegate<R(Args...)> {
public:
    Delegate() = default;
    Delegate(std::nullptr_t) {}

    // The member-function pointer is kept for equality.
    template <typename T>
    Delegate(T* object, R (T::*method)(Args...)) {
        object_ = object;
        static_assert(sizeof(method) <= sizeof(methodBytes_), "member pointer too large");
        std::memcpy(methodBytes_, &method, sizeof(method));
        stub_ = &MethodStub<T>;
    }

    Delegate(R (*function)(Args...)) {
        if (function) {
            function_ = function;
            stub_ = &FunctionStub;
        }
    }

    explicit operator bool() const { return stub_ != nullptr; }
    bool Assigned() const { return stub_ != nullptr; }
    void Clear() { *this = Delegate(); }

    R operator()(Args... args) const { return stub_(*this, std::forward<Args>(args)...); }

    void* Object() const { return object_; }

    friend bool operator==(const Delegate& a, const Delegate& b) {
        return a.stub_ == b.stub_ && a.object_ == b.object_ && a.function_ == b.function_ &&
               std::memcmp(a.methodBytes_, b.methodBytes_, sizeof(a.methodBytes_)) == 0;
    }
    friend bool operator!=(const Delegate& a, const Delegate& b) { return !(a == b); }

private:
    using Stub = R (*)(const Delegate&, Args...);

    template <typename T>
    static R MethodStub(const Delegate& d, Args... args) {
        R (T::*method)(Args...);
        std::memcpy(&method, d.methodBytes_, sizeof(method));
        return (static_cast<T*>(d.object_)->*method)(std::forward<Args>(args)...);
    }
    static R FunctionStub(const Delegate& d, Args... args) { return d.function_(std::forward<Args>(args)...); }

    void* object_ = nullptr;
    Stub stub_ = nullptr;
    R (*function_)(Args...) = nullptr;
    alignas(void*) unsigned char methodBytes_[2 * sizeof(void*)] = {};
};

class TObject;
using TNotifyEvent = Delegate<void(TObject* Sender)>;

// Shorthand for binding a member function to its object: MakeEvent(this, &TFoo::Handler).
template <typename T, typename R, typename... Args>
Delegate<R(Args...)> MakeEvent(T* object, R (T::*method)(Args...)) {
    return Delegate<R(Args...)>(object, method);
}
