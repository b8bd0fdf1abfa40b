// Exceptions of the runtime. Every error the engine or the game lets escape is an rtl::Exception
// whose Message is the text the player sees in the application's error box, so the texts here
// are part of the program's behaviour, not decoration.
#pragma once

#include <exception>
#include <string>

namespace rtl {

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : Message(std::move(message)) {}
    const char* what() const noexcept override { return Message.c_str(); }

    std::string Message;
};

// Text that is not a number where one is required.
class EConvertError : public Exception {
    using Exception::Exception;
};

// An index outside a list or collection.
class EListError : public Exception {
    using Exception::Exception;
};

class EStreamError : public Exception {
    using Exception::Exception;
};

class EFOpenError : public EStreamError {
    using EStreamError::EStreamError;
};

class EFCreateError : public EStreamError {
    using EStreamError::EStreamError;
};

class EReadError : public EStreamError {
    using EStreamError::EStreamError;
};

class EWriteError : public EStreamError {
    using EStreamError::EStreamError;
};

class EIniFileException : public Exception {
    using Exception::Exception;
};

// A picture file of a kind no picture class reads.
class EInvalidGraphic : public Exception {
    using Exception::Exception;
};

// The standard texts, built in one place so every raiser words them alike.
[[noreturn]] void RaiseListIndexError(long long index);
[[noreturn]] void RaiseConvertError(const std::string& text);

} // namespace rtl
