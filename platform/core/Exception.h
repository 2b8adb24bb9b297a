// Base exception of the class-library layer, and the stream and conversion errors built on it.
#pragma once

#include <exception>
#include <string>
#include <utility>

// Every error the system raises derives from Exception and carries the text shown to the user.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : FMessage(std::move(message)) {}
    const char* what() const noexcept override { return FMessage.c_str(); }
    const std::string& Message() const { return FMessage; }
    void SetMessage(std::string message) { FMessage = std::move(message); }

private:
    std::string FMessage;
};

class EStreamError : public Exception { using Exception::Exception; };
class EReadError : public EStreamError { using EStreamError::EStreamError; };
class EWriteError : public EStreamError { using EStreamError::EStreamError; };
class EFOpenError : public EStreamError { using EStreamError::EStreamError; };
class EFCreateError : public EStreamError { using EStreamError::EStreamError; };
class EConvertError : public Exception { using Exception::Exception; };
class EListError : public Exception { using Exception::Exception; };
// A picture whose data cannot be read or drawn.
class EInvalidGraphic : public Exception { using Exception::Exception; };
// A property or operation that the object's present state does not allow.
class EInvalidOperation : public Exception { using Exception::Exception; };

// Ends the current operation quietly: whoever reports exceptions to the user lets this one pass unseen.
class EAbort : public Exception { using Exception::Exception; };
// Ends an operation quietly: the message loop shows nothing for it.
[[noreturn]] void Abort();
