#pragma once
// The class library's exception classes. Every exception carries its message and its class name, so
// that logs and message boxes can name the class as the original did.
#include <exception>
#include <string>

#include "classlib/rtl/types.h"

class Exception : public std::exception {
public:
    explicit Exception(AnsiString message) : FMessage(std::move(message)) {}
    ~Exception() override = default;

    const AnsiString& Message() const { return FMessage; }
    void SetMessage(const AnsiString& value) { FMessage = value; }
    virtual const char* ClassName() const { return "Exception"; }
    const char* what() const noexcept override { return FMessage.c_str(); }

private:
    AnsiString FMessage;
};

#define KVR_DECLARE_EXCEPTION(Name, Parent)                                                                  \
    class Name : public Parent {                                                                             \
    public:                                                                                                  \
        using Parent::Parent;                                                                                \
        const char* ClassName() const override { return #Name; }                                             \
    };

// The silent abort: raised to stop an operation without a message.
KVR_DECLARE_EXCEPTION(EAbort, Exception)
KVR_DECLARE_EXCEPTION(EConvertError, Exception)
KVR_DECLARE_EXCEPTION(EVariantError, Exception)
KVR_DECLARE_EXCEPTION(EStreamError, Exception)
KVR_DECLARE_EXCEPTION(EReadError, EStreamError)
KVR_DECLARE_EXCEPTION(EWriteError, EStreamError)
KVR_DECLARE_EXCEPTION(EFilerError, EStreamError)
KVR_DECLARE_EXCEPTION(EClassNotFound, EFilerError)
KVR_DECLARE_EXCEPTION(EListError, Exception)
KVR_DECLARE_EXCEPTION(EStringListError, Exception)
KVR_DECLARE_EXCEPTION(EComponentError, Exception)
KVR_DECLARE_EXCEPTION(EPropertyError, Exception)
KVR_DECLARE_EXCEPTION(EInvalidOperation, Exception)
// A modal window of the headless user interface waits for an answer that no driver gives. It ends the
// driven session: automation calls and the application's handlers pass it on unchanged, so the
// session reports the window that waited.
KVR_DECLARE_EXCEPTION(ENoModalAnswer, EInvalidOperation)
KVR_DECLARE_EXCEPTION(EInvalidPointer, Exception)
KVR_DECLARE_EXCEPTION(EIntError, Exception)
KVR_DECLARE_EXCEPTION(EMathError, Exception)
KVR_DECLARE_EXCEPTION(EOleError, Exception)

// Failures that carry an operating-system or run-time error code.
class ECodeError : public Exception {
public:
    ECodeError(AnsiString message, int errorCode) : Exception(std::move(message)), FErrorCode(errorCode) {}
    int ErrorCode() const { return FErrorCode; }

private:
    int FErrorCode;
};

class EInOutError : public ECodeError {
public:
    using ECodeError::ECodeError;
    const char* ClassName() const override { return "EInOutError"; }
};

class EOSError : public ECodeError {
public:
    using ECodeError::ECodeError;
    const char* ClassName() const override { return "EOSError"; }
};

// Raises EAbort.
[[noreturn]] void Abort();

// Shows an exception to the user through the application's message service; until a user-interface
// layer installs one, the text goes to standard error.
using TShowExceptionHandler = void (*)(const Exception& e);
void ShowException(const Exception& e);
void SetShowExceptionHandler(TShowExceptionHandler handler);
