// Exceptions that carry the class library's class names, and its standard texts.
//
// Every failure the system names is a C++ class of that name; className() answers
// the name exactly, because the log prints it ("Class %S with message '%S'").
#pragma once

#include <exception>
#include <string>

namespace rtl {

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    ~Exception() override = default;

    virtual const char* className() const noexcept { return "Exception"; }
    const std::string& message() const noexcept { return message_; }
    void setMessage(std::string m) { message_ = std::move(m); }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// Declares `Name` deriving from `Base`, with className() answering "Name".
#define RTL_EXCEPTION(Name, Base)                                                 \
    class Name : public Base {                                                    \
    public:                                                                       \
        using Base::Base;                                                         \
        const char* className() const noexcept override { return #Name; }         \
    }

RTL_EXCEPTION(EAbort, Exception);
RTL_EXCEPTION(EConvertError, Exception);
RTL_EXCEPTION(EListError, Exception);
RTL_EXCEPTION(EStringListError, Exception);
RTL_EXCEPTION(ERangeError, Exception);
RTL_EXCEPTION(EIntError, Exception);
RTL_EXCEPTION(EDivByZero, EIntError);
RTL_EXCEPTION(EOutOfMemory, Exception);
RTL_EXCEPTION(EInvalidOperation, Exception);
RTL_EXCEPTION(EInvalidCast, Exception);
RTL_EXCEPTION(EInvalidPointer, Exception);
RTL_EXCEPTION(EAccessViolation, Exception);
RTL_EXCEPTION(EInOutError, Exception);
RTL_EXCEPTION(EComponentError, Exception);
RTL_EXCEPTION(EPropertyError, Exception);
RTL_EXCEPTION(EClassNotFound, Exception);
RTL_EXCEPTION(EStreamError, Exception);
RTL_EXCEPTION(EFilerError, EStreamError);
RTL_EXCEPTION(EReadError, EFilerError);
RTL_EXCEPTION(EWriteError, EFilerError);
RTL_EXCEPTION(EFCreateError, EStreamError);
RTL_EXCEPTION(EFOpenError, EStreamError);
RTL_EXCEPTION(EOSError, Exception);

// The class library's standard texts, used where the system raises its errors.
namespace texts {
inline constexpr const char* SListIndexError = "List index out of bounds (%d)";
inline constexpr const char* SListCapacityError = "List capacity out of bounds (%d)";
inline constexpr const char* SListCountError = "List count out of bounds (%d)";
inline constexpr const char* SDuplicateString = "String list does not allow duplicates";
inline constexpr const char* SSortedListError = "Operation not allowed on sorted string list";
inline constexpr const char* SReadError = "Stream read error";
inline constexpr const char* SWriteError = "Stream write error";
inline constexpr const char* SFCreateError = "Cannot create file %s";
inline constexpr const char* SFOpenError = "Cannot open file %s";
inline constexpr const char* SMemoryStreamError = "Out of memory while expanding memory stream";
inline constexpr const char* SInvalidImage = "Invalid stream format";
inline constexpr const char* SUnknownProperty = "Property %s does not exist";
inline constexpr const char* SPropertyException = "Error reading %s%s%s: %s";
inline constexpr const char* SInvalidPropertyValue = "Invalid property value";
inline constexpr const char* SInvalidPropertyType = "Invalid property type: %s";
inline constexpr const char* SClassNotFound = "Class %s not found";
inline constexpr const char* SInvalidInteger = "'%s' is not a valid integer value";
inline constexpr const char* SInvalidFloat = "'%s' is not a valid floating point value";
inline constexpr const char* SInvalidFormat = "Format '%s' invalid or incompatible with argument";
inline constexpr const char* SArgumentMissing = "No argument for format '%s'";
inline constexpr const char* SRangeError = "Range check error";
inline constexpr const char* SDivByZero = "Division by zero";
inline constexpr const char* SOutOfMemory = "Out of memory";
}  // namespace texts

}  // namespace rtl
