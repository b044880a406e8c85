#pragma once
// The exception classes of the run-time. Exception::Message() is code-page text.
#include <exception>
#include <string>

#include "platform/rtl/CodePage.h"

class Exception : public std::exception {
public:
    explicit Exception(AnsiString message) : message_(std::move(message)) {}
    ~Exception() override = default;
    const AnsiString& Message() const { return message_; }
    void SetMessage(const AnsiString& m) { message_ = m; }
    const char* what() const noexcept override { return message_.c_str(); }
    virtual const char* ClassName() const { return "Exception"; }

private:
    AnsiString message_;
};

#define TESK_DECLARE_EXCEPTION(Name, Base)                          \
    class Name : public Base {                                      \
    public:                                                         \
        using Base::Base;                                           \
        const char* ClassName() const override { return #Name; }    \
    }

// The silent exception: handlers ignore it, Before* events use it to cancel.
TESK_DECLARE_EXCEPTION(EAbort, Exception);
TESK_DECLARE_EXCEPTION(EConvertError, Exception);
TESK_DECLARE_EXCEPTION(EAssertionFailed, Exception);
TESK_DECLARE_EXCEPTION(EListError, Exception);
TESK_DECLARE_EXCEPTION(EStringListError, EListError);
TESK_DECLARE_EXCEPTION(EStreamError, Exception);
TESK_DECLARE_EXCEPTION(EFCreateError, EStreamError);
TESK_DECLARE_EXCEPTION(EFOpenError, EStreamError);
TESK_DECLARE_EXCEPTION(EReadError, EStreamError);
TESK_DECLARE_EXCEPTION(EWriteError, EStreamError);
TESK_DECLARE_EXCEPTION(EDatabaseError, Exception);
TESK_DECLARE_EXCEPTION(EOSError, Exception);
TESK_DECLARE_EXCEPTION(EPropertyError, Exception);
TESK_DECLARE_EXCEPTION(EInvalidOperation, Exception);
TESK_DECLARE_EXCEPTION(EInvalidPointer, Exception);
TESK_DECLARE_EXCEPTION(EOutOfResources, Exception);
TESK_DECLARE_EXCEPTION(EIntError, Exception);
TESK_DECLARE_EXCEPTION(EMathError, Exception);
TESK_DECLARE_EXCEPTION(EResNotFound, Exception);
TESK_DECLARE_EXCEPTION(EVariantError, Exception);

// Raises the silent EAbort.
[[noreturn]] void Abort();

// Raises EAssertionFailed "Assertion failure (unit, line N)" when the condition fails.
void AssertAt(bool condition, const char* unit, int line);
