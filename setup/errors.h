// The setup program's error classes. Each carries its message, knows its class name for
// the default error report, and remembers the code address it was raised from.
#pragma once

#include <string>
#include <utility>

class Exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    virtual ~Exception() = default;
    virtual const char* ClassName() const { return "Exception"; }
    const std::string& Message() const { return message_; }
    // The return address of the raise call, inside the raising procedure; null when the
    // error was made without Raise.
    const void* RaiseAddress() const { return raiseAddress_; }
    void SetRaiseAddress(const void* address) { raiseAddress_ = address; }

private:
    std::string message_;
    const void* raiseAddress_ = nullptr;
};

#define VMX_ERROR_CLASS(Name, Base)                              \
    class Name : public Base {                                   \
    public:                                                      \
        using Base::Base;                                        \
        const char* ClassName() const override { return #Name; } \
    }

VMX_ERROR_CLASS(ERegistryException, Exception);
VMX_ERROR_CLASS(EStreamError, Exception);
VMX_ERROR_CLASS(EFOpenError, EStreamError);
VMX_ERROR_CLASS(EFCreateError, EStreamError);
VMX_ERROR_CLASS(EFilerError, EStreamError);
VMX_ERROR_CLASS(EReadError, EFilerError);
VMX_ERROR_CLASS(EWriteError, EFilerError);
VMX_ERROR_CLASS(EListError, Exception);
VMX_ERROR_CLASS(EOutOfMemory, Exception);

#undef VMX_ERROR_CLASS

// Raises an error of class E with the given message. Never inlined, so that the address it
// records is its caller's: the place in the program's code where the error arose.
template <class E>
[[noreturn]] __attribute__((noinline, noclone)) void Raise(std::string message) {
    E error(std::move(message));
    error.SetRaiseAddress(__builtin_extract_return_addr(__builtin_return_address(0)));
    throw error;
}
